; The install folder: its permissions, what the updater may have left in it, and one setup at a time.

; A folder of the administrator's choosing (/D=C:\Tesmora) would inherit its parent's permissions,
; under which ordinary users may change config.ini (the update service's address) or replace the
; programs that run with administrator rights. It gets those of Program Files instead: the
; administrators and the system change it, users read and run it (the well-known SIDs, so the names
; need not match the system's language). Files already there from an earlier install are reset to
; inherit them.
Function SecureFolder
    CreateDirectory "$INSTDIR"
    ${RunTool} '"$SYSDIR\icacls.exe" "$INSTDIR" /inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX' $R1
    ${If} $R1 != 0
        ${Fail} ${EXIT_PERMISSIONS} "$(FailPermissions) $INSTDIR"
    ${EndIf}
    ${RunTool} '"$SYSDIR\icacls.exe" "$INSTDIR\*" /reset /t /c /q' $R1
    ${Log} "secured: $INSTDIR (administrators and the system change it, users read and run it)"
FunctionEnd

; What the updater leaves while it works: a download under its staging name (the service names it,
; by its custom the target's name with "_new") and the partial file it writes first (".part"). A
; staged file from before this install would otherwise be put in place of what this install copies.
!macro RemoveStagedFiles UN
    Delete "$INSTDIR\*_new"
    Delete "$INSTDIR\*.part"
    Delete "$INSTDIR\language\*_new"
    Delete "$INSTDIR\language\*.part"
!macroend

; One install or removal at a time on a machine: a script that runs the uninstaller and then the
; installer must not have both working in the folder at once. The system releases the lock when the
; process that holds it ends.
!macro OneAtATime UN
    System::Call 'kernel32::CreateMutexW(p 0, i 0, w "Global\TesmoraOrluRemoconSetup") p .R0'
    System::Call 'kernel32::WaitForSingleObject(p R0, i 120000) i .R1'
    ; WAIT_OBJECT_0, or WAIT_ABANDONED when the earlier one ended without letting go.
    ${If} $R1 != 0
    ${AndIf} $R1 != 128
        ${Fail} ${EXIT_BUSY} "$(FailBusy)"
    ${EndIf}
!macroend

; Installing an older remote over a newer one (the updater may have brought a newer release since
; the last install) stops with its own exit code unless /ALLOWDOWNGRADE or the administrator says so.
Function RefuseDowngrade
    ${IfNot} ${FileExists} "$INSTDIR\${REMOTE}"
        Return
    ${EndIf}
    ClearErrors
    GetDLLVersion "$INSTDIR\${REMOTE}" $R0 $R1
    ${If} ${Errors}
        Return
    ${EndIf}
    IntOp $R2 $R0 >> 16
    IntOp $R2 $R2 & 0xFFFF
    IntOp $R3 $R0 & 0xFFFF
    IntOp $R4 $R1 >> 16
    IntOp $R4 $R4 & 0xFFFF
    IntOp $R5 $R1 & 0xFFFF
    StrCpy $R0 "$R2.$R3.$R4.$R5"
    ${VersionCompare} "$R0" "${VERSION}" $R1
    ${If} $R1 != 1
        Return
    ${EndIf}
    ${If} $AllowDowngrade == 1
        ${Log} "installed: $R0, newer than ${VERSION}; installing the older one as /ALLOWDOWNGRADE asks"
        Return
    ${EndIf}
    MessageBox MB_YESNO|MB_ICONQUESTION "$(DowngradeQuestion)" /SD IDNO IDYES allowed
    ${Fail} ${EXIT_DOWNGRADE} "installed: $R0, newer than ${VERSION} (/ALLOWDOWNGRADE installs it anyway)"
allowed:
    ${Log} "installed: $R0, newer than ${VERSION}; installing the older one as the administrator asked"
FunctionEnd
