// Command identifiers of the menu items, the menu bar buttons, the
// accelerators and the number dialog's soft keys.  They are resource numbers:
// a menu item and a button with the same identifier have the same effect.
// This is the one table; the resources refer to it.
#pragma once

constexpr unsigned kCmdQuit = 102;
constexpr unsigned kCmdClose = 40002;     // Alt+F4; not handled
constexpr unsigned kCmdAboutAlt = 40003;  // Alt+/
constexpr unsigned kCmdPlay = 40004;
constexpr unsigned kCmdNextProblem = 40005;
constexpr unsigned kCmdSelectProblem = 40006;
constexpr unsigned kCmdAbout = 40007;
constexpr unsigned kCmdPrevProblem = 40008;
constexpr unsigned kCmdBack = 40010;
constexpr unsigned kCmdRightSoftKey = 40013;
constexpr unsigned kCmdDialogCancel = 40016;
constexpr unsigned kCmdDialogOk = 40017;
constexpr unsigned kCmdSound = 40023;
constexpr unsigned kCmdMenu = 40025;
constexpr unsigned kCmdMode = 40058;
constexpr unsigned kCmdPass = 40083;
