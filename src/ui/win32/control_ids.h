#pragma once
// Control and menu identifiers of the real windows. The UI test driver finds controls by
// these, so they stay fixed.

namespace tarvo::ui_ids {

// frmMain
constexpr int kTab = 100;
constexpr int kApply = 101;
constexpr int kQuit = 102;
constexpr int kSource = 110;
constexpr int kBackupItem0 = 111;  // .. 119
constexpr int kTargetFile = 120;
constexpr int kTargetBrowse = 121;
constexpr int kProtect = 122;
constexpr int kPassword = 123;
constexpr int kPassword2 = 124;
constexpr int kAttachInfo = 125;
constexpr int kBackupFrame = 126;
constexpr int kTarget = 130;
constexpr int kRestoreItem0 = 131;  // .. 139
constexpr int kSourceFile = 140;
constexpr int kSourceBrowse = 141;
constexpr int kOriginInfo = 142;
constexpr int kNoteInfo = 143;
constexpr int kRestoreFrame = 144;
constexpr int kLogList = 150;
constexpr int kAboutLabel = 160;
constexpr int kProgress = 170;
constexpr int kStepLabel = 171;
constexpr int kFileLabel = 172;

// frmMain menus
constexpr int kMenuBackupNow = 201;
constexpr int kMenuRestoreNow = 202;
constexpr int kMenuQuit = 203;
constexpr int kMenuTaskScheduler = 204;
constexpr int kMenuSettings = 205;
constexpr int kMenuBackupToCd = 206;
constexpr int kMenuHelp = 207;
constexpr int kMenuAbout = 208;
constexpr int kMenuSelectAll = 209;
constexpr int kMenuDeselectAll = 210;
constexpr int kMenuSelectAll2 = 211;
constexpr int kMenuDeselectAll2 = 212;

// frmPwd
constexpr int kPwdText = 300;
constexpr int kPwdOk = 301;
constexpr int kPwdCancel = 302;

// Frmoption
constexpr int kOptSource = 400;
constexpr int kOptItem0 = 401;  // .. 409
constexpr int kOptStartTime = 410;
constexpr int kOptMonday = 411;  // .. Sunday 417
constexpr int kOptDaily = 418;
constexpr int kOptTargetFile = 419;
constexpr int kOptBrowse = 420;
constexpr int kOptProtect = 421;
constexpr int kOptPassword = 422;
constexpr int kOptPassword2 = 423;
constexpr int kOptAdd = 424;
constexpr int kOptDisable = 425;
constexpr int kOptCancel = 426;

// Frmsettings
constexpr int kSetTab = 500;
constexpr int kSetFolder = 501;
constexpr int kSetBrowse = 502;
constexpr int kSetCheck1 = 503;  // .. Check8 510
constexpr int kSetOption1 = 511;
constexpr int kSetOption2 = 512;
constexpr int kSetOk = 513;
constexpr int kSetCancel = 514;
constexpr int kSetKeepDated = 515;
constexpr int kSetCloseOutlookAuto = 516;

// frmabout
constexpr int kAboutOk = 600;

// frmMaindvdwrite
constexpr int kDiscDevices = 700;
constexpr int kDiscSpeeds = 701;
constexpr int kDiscVolumeId = 702;
constexpr int kDiscVolumeType = 703;
constexpr int kDiscTree = 704;
constexpr int kDiscList = 705;
constexpr int kDiscOption0 = 706;  // .. 713, in the order of kDiscOptionNames
constexpr int kDiscProgress = 714;
constexpr int kDiscWrite = 715;
constexpr int kDiscCancel = 716;
constexpr int kDiscStatus = 717;
constexpr int kDiscDragLabel = 718;

// frmMaindvdwrite menus
constexpr int kDiscMenuAddFile = 730;
constexpr int kDiscMenuClear = 731;
constexpr int kDiscMenuRemoveFolder = 732;
constexpr int kDiscMenuRenameFolder = 733;
constexpr int kDiscMenuRemoveFile = 734;
constexpr int kDiscMenuRenameFile = 735;
constexpr int kDiscMenuExit = 736;
constexpr int kDiscMenuEject = 737;
constexpr int kDiscMenuCloseTray = 738;
constexpr int kDiscMenuErase = 739;

// frmErase
constexpr int kErsQuick = 800;
constexpr int kErsStart = 801;
constexpr int kErsCancel = 802;
constexpr int kErsStatus = 803;
constexpr int kErsProgress = 804;
constexpr int kErsNote = 805;

}  // namespace tarvo::ui_ids
