; The school's installer of the remote and its updater: one file an administrator runs by hand (pages
; in Korean, English and Japanese) or silently on many pads at once.
;
; makensis -INPUTCHARSET UTF8 -DVERSION=2.0.1.1028 -DBIN=<build>/bin -DOUTFILE=<file> tesmora.nsi
;
; Silent switches (after /S; /D=folder must come last, as for every installer of this kind):
;   /LANGUAGE=Kor|Eng|Japan    the remote's language, written to the teacher's profile
;   /WEBSERVER=host[:port]     config.ini "webserver"
;   /UPDATESERVER=host[:port]  config.ini "updateserver"
;   /SCALEFACTOR=n  /LAYOUT=full
;   /STRICTCERTIFICATES=1      config.ini "strictcertificates" (0: off again)
; A switch left out keeps what an earlier install wrote to config.ini.
; The uninstaller: /S for silent, /PURGE also removes setting.ini and the teacher's profile.

; The 64-bit build of the programs (-DAMD64) gets a 64-bit installer: its folder under the 64-bit
; Program Files and its registry entries in the 64-bit view.
!ifdef AMD64
    Target amd64-unicode
    !define PROGRAM_FILES "$PROGRAMFILES64"
!else
    Unicode true
    !define PROGRAM_FILES "$PROGRAMFILES"
!endif
!include MUI2.nsh
!include nsDialogs.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!ifndef VERSION
    !error "VERSION is not defined"
!endif
!ifndef BIN
    !error "BIN (the build's bin folder) is not defined"
!endif
!ifndef OUTFILE
    !define OUTFILE "TesmoraOrluRemoconSetup-${VERSION}.exe"
!endif

!define PRODUCT "Tesmora Orlu Remocon"
!define COMPANY "TesmoraOrlu"
!define REMOTE "TesmoraOrluRemocon.exe"
!define UPDATER "TesmoraOrluUpdaterR.exe"
!define PROFILE_KEY "Software\TesmoraOrlu\TesmoraOrluRemocon\config"
!define PROFILE_ROOT "Software\TesmoraOrlu"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TesmoraOrluRemocon"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "TesmoraOrluUpdaterR"
!define MENU_FOLDER "$SMPROGRAMS\${PRODUCT}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\${COMPANY}\TesmoraOrluRemocon"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
; Both programs need administrator rights, and the folder is under Program Files.
RequestExecutionLevel admin
BrandingText "${PRODUCT} ${VERSION}"
SetCompressor /SOLID lzma
VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${COMPANY}"

!define MUI_ABORTWARNING
!define MUI_LANGDLL_ALLLANGUAGES
; The uninstaller speaks the language the installer spoke.
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "InstallerLanguage"
!insertmacro MUI_PAGE_WELCOME
Page custom SettingsPage SettingsPageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
UninstPage custom un.KeepPage un.KeepPageLeave
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Korean"
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_RESERVEFILE_LANGDLL

!include "strings.nsh"

Var ProgramLanguage
Var WebServer
Var UpdateServer
Var ScaleFactor
Var Layout
Var StrictCertificates
Var RadioKor
Var RadioEng
Var RadioJapan
Var WebServerEdit
Var UpdateServerEdit
Var Purge
Var PurgeBox

; The remote's language code for the installer's own language.
Function LanguageOfInstaller
    ${If} $LANGUAGE == ${LANG_ENGLISH}
        StrCpy $ProgramLanguage "Eng"
    ${ElseIf} $LANGUAGE == ${LANG_JAPANESE}
        StrCpy $ProgramLanguage "Japan"
    ${Else}
        StrCpy $ProgramLanguage "Kor"
    ${EndIf}
FunctionEnd

; A wrong switch ends a silent install with exit code 2 rather than installing something not asked for.
Function RefuseSwitch
    Pop $0
    ${IfNot} ${Silent}
        MessageBox MB_OK|MB_ICONSTOP "$0"
    ${EndIf}
    SetErrorLevel 2
    Quit
FunctionEnd

!macro RegistryView
    !ifdef AMD64
        SetRegView 64
    !endif
!macroend

Function .onInit
    !insertmacro RegistryView
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/LANGUAGE=" $ProgramLanguage
    ${If} ${Errors}
        StrCpy $ProgramLanguage ""
    ${EndIf}
    ; The pages speak the language asked for; without a switch the administrator picks it.
    ${If} $ProgramLanguage == "Eng"
        StrCpy $LANGUAGE ${LANG_ENGLISH}
    ${ElseIf} $ProgramLanguage == "Japan"
        StrCpy $LANGUAGE ${LANG_JAPANESE}
    ${ElseIf} $ProgramLanguage == "Kor"
        StrCpy $LANGUAGE ${LANG_KOREAN}
    ${ElseIf} $ProgramLanguage == ""
        !insertmacro MUI_LANGDLL_DISPLAY
        Call LanguageOfInstaller
    ${Else}
        Push "/LANGUAGE=$ProgramLanguage: Kor, Eng, Japan"
        Call RefuseSwitch
    ${EndIf}
    ClearErrors
    ${GetOptions} $R0 "/WEBSERVER=" $WebServer
    ClearErrors
    ${GetOptions} $R0 "/UPDATESERVER=" $UpdateServer
    ClearErrors
    ${GetOptions} $R0 "/SCALEFACTOR=" $ScaleFactor
    ClearErrors
    ${GetOptions} $R0 "/LAYOUT=" $Layout
    ClearErrors
    ${GetOptions} $R0 "/STRICTCERTIFICATES=" $StrictCertificates
    ; An earlier install's addresses are what the page shows.
    ${If} $WebServer == ""
        ReadINIStr $WebServer "$INSTDIR\config.ini" "default" "webserver"
    ${EndIf}
    ${If} $UpdateServer == ""
        ReadINIStr $UpdateServer "$INSTDIR\config.ini" "default" "updateserver"
    ${EndIf}
FunctionEnd

Function SettingsPage
    !insertmacro MUI_HEADER_TEXT "$(SettingsTitle)" "$(SettingsSubtitle)"
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateGroupBox} 0 0 100% 62u "$(ProgramLanguageLabel)"
    Pop $0
    ${NSD_CreateRadioButton} 10u 12u 90% 14u "한국어 (Kor)"
    Pop $RadioKor
    ${NSD_CreateRadioButton} 10u 27u 90% 14u "English (Eng)"
    Pop $RadioEng
    ${NSD_CreateRadioButton} 10u 42u 90% 14u "日本語 (Japan)"
    Pop $RadioJapan
    ${If} $ProgramLanguage == "Eng"
        ${NSD_Check} $RadioEng
    ${ElseIf} $ProgramLanguage == "Japan"
        ${NSD_Check} $RadioJapan
    ${Else}
        ${NSD_Check} $RadioKor
    ${EndIf}
    ${NSD_CreateLabel} 0 70u 100% 10u "$(WebServerLabel)"
    Pop $0
    ${NSD_CreateText} 0 81u 100% 12u "$WebServer"
    Pop $WebServerEdit
    ${NSD_CreateLabel} 0 98u 100% 10u "$(UpdateServerLabel)"
    Pop $0
    ${NSD_CreateText} 0 109u 100% 12u "$UpdateServer"
    Pop $UpdateServerEdit
    ${NSD_CreateLabel} 0 125u 100% 12u "$(ServerHint)"
    Pop $0
    nsDialogs::Show
FunctionEnd

Function SettingsPageLeave
    ${NSD_GetState} $RadioEng $0
    ${NSD_GetState} $RadioJapan $1
    ${If} $0 == ${BST_CHECKED}
        StrCpy $ProgramLanguage "Eng"
    ${ElseIf} $1 == ${BST_CHECKED}
        StrCpy $ProgramLanguage "Japan"
    ${Else}
        StrCpy $ProgramLanguage "Kor"
    ${EndIf}
    ${NSD_GetText} $WebServerEdit $WebServer
    ${NSD_GetText} $UpdateServerEdit $UpdateServer
FunctionEnd

; config.ini as the programs keep it: UTF-16LE with a byte-order mark, or the private-profile functions
; would write it in the ANSI code page. An existing file (the remote prepares it the same way) is kept.
Function PrepareConfig
    IfFileExists "$INSTDIR\config.ini" done
    FileOpen $0 "$INSTDIR\config.ini" w
    FileWriteByte $0 255
    FileWriteByte $0 254
    FileWriteUTF16LE $0 "[default]$\r$\n"
    FileClose $0
done:
FunctionEnd

!macro ConfigValue KEY VAR
    ${If} ${VAR} != ""
        WriteINIStr "$INSTDIR\config.ini" "default" "${KEY}" "${VAR}"
    ${EndIf}
!macroend

Section "Install"
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    ; A program file in use (the remote or the updater running) brings the installer's own question to
    ; retry; the administrator closes the program first.
    SetOverwrite on
    File "${BIN}\${REMOTE}"
    File "${BIN}\${UPDATER}"
    SetOutPath "$INSTDIR\language"
    File "${BIN}\language\TesmoraOrluRemoconEng.dll"
    File "${BIN}\language\TesmoraOrluRemoconJapan.dll"
    SetOutPath "$INSTDIR"

    Call PrepareConfig
    !insertmacro ConfigValue webserver $WebServer
    !insertmacro ConfigValue updateserver $UpdateServer
    !insertmacro ConfigValue scalefactor $ScaleFactor
    !insertmacro ConfigValue layout $Layout
    !insertmacro ConfigValue strictcertificates $StrictCertificates

    WriteRegStr HKCU "${PROFILE_KEY}" "language" "$ProgramLanguage"

    ; The updater starts first at sign-in and from the menu: it brings the remote up to date, then
    ; starts it.
    WriteRegStr HKLM "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\${UPDATER}" /autostart'
    ; An earlier install in another language named its uninstall shortcut in that language.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "UninstallShortcut"
    ${If} $0 != ""
        Delete "${MENU_FOLDER}\$0"
    ${EndIf}
    CreateDirectory "${MENU_FOLDER}"
    CreateShortcut "${MENU_FOLDER}\${PRODUCT}.lnk" "$INSTDIR\${UPDATER}" "" "$INSTDIR\${REMOTE}" 0
    CreateShortcut "${MENU_FOLDER}\$(UninstallShortcut).lnk" "$INSTDIR\uninstall.exe"

    WriteUninstaller "$INSTDIR\uninstall.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${REMOTE}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallerLanguage" "$LANGUAGE"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ; The menu shortcut's name is in the installer's language; the uninstaller needs it to remove it.
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallShortcut" "$(UninstallShortcut).lnk"
SectionEnd

Function un.onInit
    !insertmacro RegistryView
    !insertmacro MUI_UNGETLANGUAGE
    ${GetParameters} $R0
    StrCpy $Purge 0
    ClearErrors
    ${GetOptions} $R0 "/PURGE" $R1
    ${IfNot} ${Errors}
        StrCpy $Purge 1
    ${EndIf}
FunctionEnd

Function un.KeepPage
    !insertmacro MUI_HEADER_TEXT "$(KeepTitle)" "$(KeepSubtitle)"
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateCheckbox} 0 0 100% 24u "$(PurgeLabel)"
    Pop $PurgeBox
    ${If} $Purge == 1
        ${NSD_Check} $PurgeBox
    ${EndIf}
    nsDialogs::Show
FunctionEnd

Function un.KeepPageLeave
    ${NSD_GetState} $PurgeBox $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $Purge 1
    ${Else}
        StrCpy $Purge 0
    ${EndIf}
FunctionEnd

Section "Uninstall"
    SetShellVarContext all
    ; The folder is this product's alone; its uninstall shortcut is named in the installer's language.
    Delete "${MENU_FOLDER}\*.lnk"
    RMDir "${MENU_FOLDER}"
    DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"

    ; What the installer put here, what the updater replaced it with and the dated backups it kept
    ; (name_YYYYMMDD_n), the self-replacement batch and a crash dump. The teacher's setting.ini stays
    ; unless asked for.
    Delete "$INSTDIR\${REMOTE}"
    Delete "$INSTDIR\${UPDATER}"
    Delete "$INSTDIR\${REMOTE}_*"
    Delete "$INSTDIR\${UPDATER}_*"
    Delete "$INSTDIR\language\TesmoraOrluRemoconEng.dll"
    Delete "$INSTDIR\language\TesmoraOrluRemoconJapan.dll"
    Delete "$INSTDIR\language\TesmoraOrluRemocon*.dll_*"
    RMDir "$INSTDIR\language"
    Delete "$INSTDIR\config.ini"
    Delete "$INSTDIR\config_*.ini"
    Delete "$INSTDIR\aUpdate.bat"
    Delete "$INSTDIR\RemoconDump.dmp"
    ${If} $Purge == 1
        Delete "$INSTDIR\setting.ini"
        Delete "$INSTDIR\setting_*.ini"
        DeleteRegKey HKCU "${PROFILE_ROOT}"
    ${EndIf}
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ; Last, so that whoever waits for the uninstaller (it runs from a copy of itself) can watch this file.
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    RMDir "${PROGRAM_FILES}\${COMPANY}"
SectionEnd
