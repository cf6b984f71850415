#pragma once
// Every text the wizard shows, exactly as the user sees it (UTF-16), plus the fixed 8-bit
// literals the forms use (resource names, font face, program file names).
// Header-only: the skin code takes its default button captions from here without linking app/.
#include <cstddef>

// Message of the error raised when the background window can't be made layered. The 8-bit copy
// is for the exception, whose message is in the system code page.
inline constexpr const wchar_t* SLayeredNotSupported = L"layered windows isn't supported";
inline constexpr const char* SLayeredNotSupportedA = "layered windows isn't supported";

// Default captions 1 to 6 of the button face painter, used when it is given no caption.
inline constexpr const wchar_t* SCaptionYes = L"Yes";
inline constexpr const wchar_t* SCaptionNo = L"No";
inline constexpr const wchar_t* SCaptionOk = L"Ok";
inline constexpr const wchar_t* SCaptionLicense = L"License";
inline constexpr const wchar_t* SCaptionFeedback = L"Feedback";
inline constexpr const wchar_t* SCaptionSave = L"Save";
inline constexpr size_t SDefaultCaptionCount = 6;
// SDefaultCaptions[i - 1] is default caption i.
inline constexpr const wchar_t* SDefaultCaptions[SDefaultCaptionCount] = {
    SCaptionYes, SCaptionNo, SCaptionOk, SCaptionLicense, SCaptionFeedback, SCaptionSave,
};

// Wizard buttons.
inline constexpr const wchar_t* SButtonNext = L"Next";        // pages 1 and 2
inline constexpr const wchar_t* SButtonBack = L"Back";        // pages 2 and 3
inline constexpr const wchar_t* SButtonCancel = L"Cancel";    // pages 1, 2 and 3
inline constexpr const wchar_t* SButtonInstall = L"Install";  // page 3
inline constexpr const wchar_t* SButtonClose = L"Close";      // page 4

// Caption of the background form.
inline constexpr const wchar_t* SBackgroundCaption = L"Marlowind setup";
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
inline constexpr const char* SApplicationTitle = "Marlowind setup";
inline constexpr const char* SFontCalibri = "Calibri";
inline constexpr const char* SResourceTypePng = "PNG";
inline constexpr const char* SResourceTypeTxt = "TXT";
inline constexpr const char* SResourceRadioOn = "RADIOON";
inline constexpr const char* SResourceRadioOff = "RADIOOFF";
inline constexpr const char* SResourceLicense = "LICENSE";
// Parts of paths and the shell's verb, UTF-16 like every path.
inline constexpr const wchar_t* SInstallSubfolder = L"\\Marlowind\\";
// The two spellings are deliberate: the running-copy check uses the first, the finish step the
// second (file names on Windows compare without regard to case).
inline constexpr const wchar_t* SMessengerExeClosing = L"Marlowind.exe";
inline constexpr const wchar_t* SMessengerExeFinish = L"MarloWind.exe";
inline constexpr const wchar_t* SShellVerbOpen = L"open";
