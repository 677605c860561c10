; The school's installer of the remote and its updater: one file an administrator runs by hand (pages
; in Korean, English and Japanese) or silently on many pads at once.
;
; makensis -INPUTCHARSET UTF8 -DVERSION=2.0.1.1028 -DBIN=<build>/bin -DOUTFILE=<file> tesmora.nsi
;
; Silent switches (after /S; /D=folder must come last, as for every installer of this kind):
;   /LANGUAGE=Kor|Eng|Japan    the remote's language: the pad's default for every account
;                              (HKLM\Software\TesmoraOrlu\TesmoraOrluRemocon\config "language", in the
;                              programs' registry view) and the installing account's profile
;   /WEBSERVER=host[:port]     config.ini "webserver"
;   /UPDATESERVER=host[:port]  config.ini "updateserver"
;   /SCALEFACTOR=n  /LAYOUT=full
;   /STRICTCERTIFICATES=1      config.ini "strictcertificates" (0: off again)
;   /LOGFILE=1                 config.ini "logfile", the programs' support log (0: off again)
;   /ALLOWDOWNGRADE            install over a newer version of the remote
; A switch left out keeps what an earlier install wrote to config.ini.
; The uninstaller: /S for silent, /PURGE also removes setting.ini and the teacher's profile; run as
; "uninstall.exe /S _?=<folder>" it runs in place, so that whoever starts it waits for its end and
; sees its exit code.
; Both write the setup log (log.nsh) and end with the exit codes of outcome.nsh.

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
!include WordFunc.nsh
!include StrFunc.nsh
${StrRep}

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
!define MENU_FOLDER "$SMPROGRAMS\${PRODUCT}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; A signed release (scripts/release) signs the uninstaller the installer carries as well.
!ifdef SIGN
    !uninstfinalize '"${SIGN}" "%1"' = 0
!endif
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
Var LogFileSwitch
Var AllowDowngrade
Var PageShown
Var FullPanelBox
Var StrictBox
Var RadioKor
Var RadioEng
Var RadioJapan
Var WebServerEdit
Var UpdateServerEdit
Var Purge
Var PurgeBox

!include "log.nsh"
!include "outcome.nsh"
!include "running.nsh"
!include "autostart.nsh"
!include "folder.nsh"

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

; An earlier install's config.ini value when no switch names one.
!macro EarlierValue VAR KEY
    ${If} ${VAR} == ""
        ReadINIStr ${VAR} "$INSTDIR\config.ini" "default" "${KEY}"
    ${EndIf}
!macroend

!macro RegistryView
    !ifdef AMD64
        SetRegView 64
    !endif
!macroend

Function .onInit
    !insertmacro RegistryView
    SetShellVarContext all
    Call OpenLog
    ${GetParameters} $R0
    ${Log} "setup ${VERSION} started: $R0"
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
        ${Fail} ${EXIT_SWITCH} "/LANGUAGE=$ProgramLanguage: Kor, Eng, Japan"
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
    ClearErrors
    ${GetOptions} $R0 "/LOGFILE=" $LogFileSwitch
    StrCpy $AllowDowngrade 0
    ClearErrors
    ${GetOptions} $R0 "/ALLOWDOWNGRADE" $R1
    ${IfNot} ${Errors}
        StrCpy $AllowDowngrade 1
    ${EndIf}
    ; What an earlier install wrote is what the page shows.
    !insertmacro EarlierValue $WebServer webserver
    !insertmacro EarlierValue $UpdateServer updateserver
    !insertmacro EarlierValue $Layout layout
    !insertmacro EarlierValue $StrictCertificates strictcertificates
    StrCpy $PageShown 0
    !insertmacro OneAtATime ""
FunctionEnd

Function SettingsPage
    !insertmacro MUI_HEADER_TEXT "$(SettingsTitle)" "$(SettingsSubtitle)"
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateGroupBox} 0 0 100% 27u "$(ProgramLanguageLabel)"
    Pop $0
    ${NSD_CreateRadioButton} 10u 11u 30% 12u "한국어 (Kor)"
    Pop $RadioKor
    ${NSD_CreateRadioButton} 40% 11u 28% 12u "English (Eng)"
    Pop $RadioEng
    ${NSD_CreateRadioButton} 70% 11u 28% 12u "日本語 (Japan)"
    Pop $RadioJapan
    ${If} $ProgramLanguage == "Eng"
        ${NSD_Check} $RadioEng
    ${ElseIf} $ProgramLanguage == "Japan"
        ${NSD_Check} $RadioJapan
    ${Else}
        ${NSD_Check} $RadioKor
    ${EndIf}
    ${NSD_CreateLabel} 0 33u 100% 10u "$(WebServerLabel)"
    Pop $0
    ${NSD_CreateText} 0 44u 100% 12u "$WebServer"
    Pop $WebServerEdit
    ${NSD_CreateLabel} 0 60u 100% 10u "$(UpdateServerLabel)"
    Pop $0
    ${NSD_CreateText} 0 71u 100% 12u "$UpdateServer"
    Pop $UpdateServerEdit
    ${NSD_CreateLabel} 0 86u 100% 10u "$(ServerHint)"
    Pop $0
    ${NSD_CreateCheckbox} 0 99u 100% 12u "$(FullPanelLabel)"
    Pop $FullPanelBox
    ${If} $Layout == "full"
        ${NSD_Check} $FullPanelBox
    ${EndIf}
    ${NSD_CreateCheckbox} 0 113u 100% 12u "$(StrictLabel)"
    Pop $StrictBox
    ${If} $StrictCertificates == "1"
        ${NSD_Check} $StrictBox
    ${EndIf}
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
    ${NSD_GetState} $FullPanelBox $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $Layout "full"
    ${ElseIf} $Layout == "full"
        StrCpy $Layout ""
    ${EndIf}
    ${NSD_GetState} $StrictBox $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $StrictCertificates "1"
    ${Else}
        StrCpy $StrictCertificates ""
    ${EndIf}
    ; The page says what config.ini will hold: an emptied field or box removes the value.
    StrCpy $PageShown 1
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

; A value the page or a switch gives is written; one left empty on the page is removed (the program's
; default then holds); a switch left out keeps the earlier value.
!macro ConfigValue KEY VAR
    ${If} ${VAR} != ""
        WriteINIStr "$INSTDIR\config.ini" "default" "${KEY}" "${VAR}"
        ${Log} "config.ini: ${KEY}=${VAR}"
    ${ElseIf} $PageShown == 1
        DeleteINIStr "$INSTDIR\config.ini" "default" "${KEY}"
        ${Log} "config.ini: ${KEY} removed"
    ${EndIf}
!macroend

; A value only a switch gives; left out, the earlier value stays.
!macro ConfigSwitch KEY VAR
    ${If} ${VAR} != ""
        WriteINIStr "$INSTDIR\config.ini" "default" "${KEY}" "${VAR}"
        ${Log} "config.ini: ${KEY}=${VAR}"
    ${EndIf}
!macroend

; A program file, copied over the installed one; a file that cannot be replaced ends the install
; before anything names the new version.
!macro InstallFile SOURCE NAME
    ClearErrors
    File "/oname=${NAME}" "${SOURCE}"
    ${If} ${Errors}
        ${Fail} ${EXIT_IN_USE} "$(FailInUse) $OUTDIR\${NAME}"
    ${EndIf}
    ${Log} "installed: $OUTDIR\${NAME}"
!macroend

Section "Install"
    SetShellVarContext all
    ${Log} "installing ${VERSION} into $INSTDIR"
    StrLen $0 "$INSTDIR"
    ${If} $0 <= 3
        ${Fail} ${EXIT_SWITCH} "$(FailRootFolder) $INSTDIR"
    ${EndIf}
    Call RefuseDowngrade
    Call EndPrograms
    Call SecureFolder
    !insertmacro RemoveStagedFiles ""
    SetOutPath "$INSTDIR"
    SetOverwrite on
    !insertmacro InstallFile "${BIN}\${UPDATER}" "${UPDATER}"
    !insertmacro InstallFile "${BIN}\${REMOTE}" "${REMOTE}"
    SetOutPath "$INSTDIR\language"
    !insertmacro InstallFile "${BIN}\language\TesmoraOrluRemoconEng.dll" "TesmoraOrluRemoconEng.dll"
    !insertmacro InstallFile "${BIN}\language\TesmoraOrluRemoconJapan.dll" "TesmoraOrluRemoconJapan.dll"
    SetOutPath "$INSTDIR"

    Call PrepareConfig
    !insertmacro ConfigValue webserver $WebServer
    !insertmacro ConfigValue updateserver $UpdateServer
    !insertmacro ConfigSwitch scalefactor $ScaleFactor
    !insertmacro ConfigValue layout $Layout
    !insertmacro ConfigValue strictcertificates $StrictCertificates
    !insertmacro ConfigSwitch logfile $LogFileSwitch

    WriteRegStr HKCU "${PROFILE_KEY}" "language" "$ProgramLanguage"
    ${Log} "profile: language=$ProgramLanguage"
    ; Installed by an administrator account or as the system, the teacher's account has no profile
    ; value: both programs then read the pad's default (a teacher's own choice still wins).
    WriteRegStr HKLM "${PROFILE_KEY}" "language" "$ProgramLanguage"
    ${Log} "pad default: language=$ProgramLanguage"

    ; The updater starts first at sign-in and from the menu: it brings the remote up to date, then
    ; starts it.
    Call RegisterAutostart
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
    ; Run in place, so that a management tool waits for it and sees its exit code.
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallerLanguage" "$LANGUAGE"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ; The menu shortcut's name is in the installer's language; the uninstaller needs it to remove it.
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallShortcut" "$(UninstallShortcut).lnk"
    ${If} $AutostartFailed == 1
        ${Fail} ${EXIT_AUTOSTART} "$(AutostartFailed)"
    ${EndIf}
    ${Log} "installed ${VERSION}"
SectionEnd

Function un.onInit
    !insertmacro RegistryView
    !insertmacro MUI_UNGETLANGUAGE
    SetShellVarContext all
    Call un.OpenLog
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/CLEANUP" $R1
    ${IfNot} ${Errors}
        Call un.CleanUpAfterInPlace
    ${EndIf}
    ${Log} "uninstall started in $INSTDIR: $R0"
    StrCpy $Purge 0
    ClearErrors
    ${GetOptions} $R0 "/PURGE" $R1
    ${IfNot} ${Errors}
        StrCpy $Purge 1
    ${EndIf}
    !insertmacro OneAtATime "un."
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

; The uninstaller's own file. Started from a copy of itself (the usual way) it simply deletes it.
; Run in place (_?=folder), so that its caller waits for it and sees its exit code, it holds its own
; file open until it ends: a copy of it in the temporary folder, started with /CLEANUP, waits for
; that end and removes the file and the folder.
Function un.RemoveUninstaller
    ${If} $EXEDIR != $INSTDIR
        Delete "$INSTDIR\uninstall.exe"
        Return
    ${EndIf}
    GetTempFileName $R0
    Delete $R0
    StrCpy $R0 "$R0.exe"
    CopyFiles /SILENT "$EXEPATH" "$R0"
    Exec '"$R0" /S /CLEANUP _?=$INSTDIR'
FunctionEnd

; The copy's whole run: once the uninstaller it was started by has ended (it lets go of the lock only
; then), its file and the folder go, unless an install came first and the folder is in use again.
Function un.CleanUpAfterInPlace
    !insertmacro OneAtATime "un."
    ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $R1 == ""
        Delete "$INSTDIR\uninstall.exe"
        RMDir "$INSTDIR"
        RMDir "${PROGRAM_FILES}\${COMPANY}"
        ${Log} "removed: $INSTDIR\uninstall.exe, after the uninstaller ended"
    ${EndIf}
    Delete /REBOOTOK "$EXEPATH"
    Quit
FunctionEnd

; A file the uninstaller must remove; one it cannot (in use by another program) ends the removal
; with the entry in Programs and Features kept, so that it can be run again.
!macro RemoveFile PATH
    ClearErrors
    Delete "${PATH}"
    ${If} ${FileExists} "${PATH}"
        ${Fail} ${EXIT_IN_USE} "$(FailInUse) ${PATH}"
    ${EndIf}
!macroend

Section "Uninstall"
    SetShellVarContext all
    Call un.EndPrograms
    !insertmacro RemoveFile "$INSTDIR\${UPDATER}"
    !insertmacro RemoveFile "$INSTDIR\${REMOTE}"
    !insertmacro RemoveFile "$INSTDIR\language\TesmoraOrluRemoconEng.dll"
    !insertmacro RemoveFile "$INSTDIR\language\TesmoraOrluRemoconJapan.dll"
    ${Log} "removed: the programs and the language libraries"
    Call un.RemoveAutostart
    ; The folder is this product's alone; its uninstall shortcut is named in the installer's language.
    Delete "${MENU_FOLDER}\*.lnk"
    RMDir "${MENU_FOLDER}"

    ; What the updater replaced and the dated backups it kept (name_YYYYMMDD_n), its staged and
    ; partial downloads, the self-replacement batch and a crash dump. The teacher's setting.ini stays
    ; unless asked for.
    Delete "$INSTDIR\${REMOTE}_*"
    Delete "$INSTDIR\${UPDATER}_*"
    Delete "$INSTDIR\language\TesmoraOrluRemocon*.dll_*"
    !insertmacro RemoveStagedFiles "un."
    RMDir "$INSTDIR\language"
    Delete "$INSTDIR\config.ini"
    Delete "$INSTDIR\config_*.ini"
    Delete "$INSTDIR\aUpdate.bat"
    Delete "$INSTDIR\RemoconDump.dmp"
    ${If} $Purge == 1
        Delete "$INSTDIR\setting.ini"
        Delete "$INSTDIR\setting_*.ini"
        DeleteRegKey HKCU "${PROFILE_ROOT}"
        ${Log} "removed: the teacher's setting.ini and profile"
    ${EndIf}
    DeleteRegValue HKLM "${PROFILE_KEY}" "language"
    DeleteRegKey /ifempty HKLM "${PROFILE_KEY}"
    DeleteRegKey /ifempty HKLM "Software\TesmoraOrlu\TesmoraOrluRemocon"
    DeleteRegKey /ifempty HKLM "${PROFILE_ROOT}"
    ${Log} "removed: the pad's default language"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ; Last, so that whoever waits for the uninstaller's file to go knows it is done.
    Call un.RemoveUninstaller
    RMDir "$INSTDIR"
    RMDir "${PROGRAM_FILES}\${COMPANY}"
    ${Log} "uninstalled from $INSTDIR"
SectionEnd
