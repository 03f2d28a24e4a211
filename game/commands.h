// Command identifiers of the menu items and menu bar buttons; a menu item and
// a button with the same identifier have the same effect.
#pragma once

constexpr unsigned kCmdPlay = 40004;
constexpr unsigned kCmdNextProblem = 40005;
constexpr unsigned kCmdSelectProblem = 40006;
constexpr unsigned kCmdAbout = 40007;
constexpr unsigned kCmdPrevProblem = 40008;
constexpr unsigned kCmdBack = 40010;
constexpr unsigned kCmdRightSoftKey = 40013;
constexpr unsigned kCmdSound = 40023;
constexpr unsigned kCmdMenu = 40025;
constexpr unsigned kCmdMode = 40058;
constexpr unsigned kCmdPass = 40083;
constexpr unsigned kCmdAboutAlt = 40003;
constexpr unsigned kCmdQuit = 102;
