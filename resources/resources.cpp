// The program's resource table: menu bars 117 (English) and 137 (Chinese),
// selection dialogs 131 and 135, accelerators 3, icon 101 and the sounds.

#include "resources/resources.h"

#include "resources/ids.h"
#include "resources/media.h"
#include "resources/strings.h"

namespace {

// ---- menu bars -------------------------------------------------------------

const MenuBarButtonTemplate kButtonsEn[] = {
    {kCmdMenu, IDS_MENU_EN, true},
    {kCmdPlay, IDS_REPLAY_EN, false},
    {kCmdBack, IDS_BACK_EN, false},
    {kCmdRightSoftKey, IDS_HINT_EN, false},
};

const MenuBarButtonTemplate kButtonsZh[] = {
    {kCmdMenu, IDS_MENU_ZH, true},
    {kCmdPlay, IDS_REPLAY_ZH, false},
    {kCmdBack, IDS_BACK_ZH, false},
    {kCmdRightSoftKey, IDS_HINT_ZH, false},
};

const MenuItemTemplate kPopupEn[] = {
    {kCmdPlay, "Play", false},
    {kCmdPrevProblem, "Prev problem", false},
    {kCmdNextProblem, "Next problem", false},
    {kCmdSelectProblem, "Select problem", false},
    {kCmdPass, "Pass", false},
    {kCmdMode, "Mode", false},
    {kCmdSound, "Sound On", true},
    {kCmdAbout, "About...", false},
    {kCmdQuit, "Quit", false},
};

const MenuItemTemplate kPopupZh[] = {
    {kCmdPlay, "重来", false},          {kCmdPrevProblem, "上一题", false},
    {kCmdNextProblem, "下一题", false}, {kCmdSelectProblem, "选题目", false},
    {kCmdPass, "脱先", false},          {kCmdMode, "模式", false},
    {kCmdSound, "声音", true},          {kCmdAbout, "关于", false},
    {kCmdQuit, "退出", false},
};

const MenuBarTemplate kMenuBarEn = {4, kButtonsEn, sizeof kPopupEn / sizeof kPopupEn[0], kPopupEn};
const MenuBarTemplate kMenuBarZh = {4, kButtonsZh, sizeof kPopupZh / sizeof kPopupZh[0], kPopupZh};

// ---- selection dialogs (dialog units) ----------------------------------------

const DialogItemTemplate kSelectItemsEn[] = {
    {IDC_CURRENT_LABEL, kDialogStatic, 13, 14, 31, 8, "Current: "},
    {IDC_CURRENT_NUMBER, kDialogStatic, 59, 13, 25, 10, "        "},
    {IDC_NUMBER_LABEL, kDialogStatic, 13, 28, 62, 10, "Problem No."},
    {IDC_NUMBER_EDIT, kDialogEdit, 13, 40, 71, 12, ""},
    {IDC_SELECT_OK, kDialogButton, 13, 60, 25, 14, "OK"},
    {IDC_SELECT_CANCEL, kDialogButton, 47, 60, 35, 14, "Cancel"},
};

const DialogItemTemplate kSelectItemsZh[] = {
    {IDC_CURRENT_LABEL, kDialogStatic, 13, 14, 29, 8, "当前： "},
    {IDC_CURRENT_NUMBER, kDialogStatic, 59, 13, 25, 10, "        "},
    {IDC_NUMBER_LABEL, kDialogStatic, 13, 32, 62, 10, "题号"},
    {IDC_NUMBER_EDIT, kDialogEdit, 13, 44, 71, 12, ""},
    {IDC_SELECT_OK, kDialogButton, 13, 60, 25, 14, "OK"},
    {IDC_SELECT_CANCEL, kDialogButton, 48, 60, 35, 14, "取消"},
};

const DialogTemplate kSelectEn = {0, 0, 101, 100, "Problem No.", "System", 8, 6, kSelectItemsEn};
const DialogTemplate kSelectZh = {0, 0, 101, 100, "题号", "System", 8, 6, kSelectItemsZh};

// ---- accelerators, icon --------------------------------------------------------

const AcceleratorEntry kAccelerators[] = {
    {FVIRTKEY | FALT, VK_OEM_2, kCmdAboutAlt},
    {FVIRTKEY | FALT, VK_F4, kCmdClose},
};
const AcceleratorTemplate kAcceleratorTable = {2, kAccelerators};

const IconTemplate kIcon = {kIconSize, kIconSize, kIconPixels};

const ResourceEntry kEntries[] = {
    {RT_RCDATA, IDR_MENUBAR_EN, &kMenuBarEn, sizeof kMenuBarEn},
    {RT_RCDATA, IDR_MENUBAR_ZH, &kMenuBarZh, sizeof kMenuBarZh},
    {RT_DIALOG, IDD_SELECT_EN, &kSelectEn, sizeof kSelectEn},
    {RT_DIALOG, IDD_SELECT_ZH, &kSelectZh, sizeof kSelectZh},
    {RT_ACCELERATOR, IDR_ACCELERATORS, &kAcceleratorTable, sizeof kAcceleratorTable},
    {RT_GROUP_ICON, IDI_PROGRAM, &kIcon, sizeof kIcon},
    {RT_WAVE, kSoundMove, kWave1999, kWave1999Size},
    {RT_WAVE, kSoundVariation, kWave2030, kWave2030Size},
    {RT_WAVE, kSoundSolved, kWave2095, kWave2095Size},
};

}  // namespace

const ResourceTable& programResources()
{
    static const ResourceTable table = {kProgramStringCount, kProgramStrings, sizeof kEntries / sizeof kEntries[0],
                                        kEntries};
    return table;
}
