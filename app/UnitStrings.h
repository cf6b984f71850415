#pragma once
// The wizard's English texts as they always were (UTF-16), plus the fixed 8-bit literals the
// forms use (resource names, font face, program file names). The wizard shows its texts from
// the text tables (common/Texts_win32.h), whose English table keeps these, as the tests check.
// Names of the product's files, folders and captions, and the default button captions the skin
// shares, come from common/ProductFacts.h; the names here are the wizard's for them.
#include "common/ProductFacts.h"

// Message of the error raised when the background window can't be made layered.
inline constexpr const wchar_t* SLayeredNotSupported = L"layered windows isn't supported";

// Wizard buttons.
inline constexpr const wchar_t* SButtonNext = L"Next";        // pages 1 and 2
inline constexpr const wchar_t* SButtonBack = L"Back";        // pages 2 and 3
inline constexpr const wchar_t* SButtonCancel = L"Cancel";    // pages 1, 2 and 3
inline constexpr const wchar_t* SButtonInstall = L"Install";  // page 3
inline constexpr const wchar_t* SButtonClose = L"Close";      // page 4

// What a screen reader says a part does (default actions) and the agreement's key.
inline constexpr const wchar_t* SActionPress = L"Press";
inline constexpr const wchar_t* SActionCheck = L"Check";
inline constexpr const wchar_t* SActionUncheck = L"Uncheck";
inline constexpr const wchar_t* SAgreeShortcut = L"Alt+A";
// Caption of the background form.
inline constexpr const wchar_t* SBackgroundCaption = kSetupCaption;
// Title of every page.
inline constexpr const wchar_t* SWizardTitle = L"Marlowind Setup Wizard";
// Agreement label, page 2.
inline constexpr const wchar_t* SAgreeLabel = L"I agree to all the terms and conditions";

// Page bodies.
inline constexpr const wchar_t* SWelcomeText =
    L"The Installation wizard will help you install Marlowind instant messenger. The software is "
    L"designed to work with Windows 7 Aero, you can chat with your Facebook and Google+ friends. "
    L"Press Next to start the installation process or Cancel to close the application.";
inline constexpr const wchar_t* SAgreementText =
    L"Agree with all the terms and conditions then press Next:";
// Two blanks after "istances," and the misspelling are the text as shipped.
inline constexpr const wchar_t* SReadyText =
    L"The program is closing other istances,  press Install to start Marlowind software "
    L"installation process in the program files folder, a shortcut on your desktop will be "
    L"created and all wallpapers and required files will be extracted.";
inline constexpr const wchar_t* SFinishedText =
    L"Thank you. Marlowind software has been successfully installed. Once the setup process is "
    L"completed you will be invited to enter your Facebook or Google account login credentials.";

// 8-bit literals of the form code (system code page).
inline constexpr const char* SApplicationTitle = kSetupCaptionA;
inline constexpr const char* SFontCalibri = "Calibri";
inline constexpr const char* SResourceTypePng = "PNG";
inline constexpr const char* SResourceTypeTxt = kLicenseFile.Type;
inline constexpr const char* SResourceRadioOn = "RADIOON";
inline constexpr const char* SResourceRadioOff = "RADIOOFF";
inline constexpr const char* SResourceLicense = kLicenseFile.Resource;
// Parts of paths and the shell's verb, UTF-16 like every path.
inline constexpr const wchar_t* SInstallSubfolder = kProductSubfolder;
// The two spellings are deliberate: the running-copy check uses the first, the finish step the
// second (file names on Windows compare without regard to case).
inline constexpr const wchar_t* SMessengerExeClosing = kMessengerPayload.TargetFile;
inline constexpr const wchar_t* SMessengerExeFinish = kMessengerStartFile;
inline constexpr const wchar_t* SShellVerbOpen = L"open";
