; How an install or a removal ends, and the exit codes a deployment script sees (README lists them).
; 1 is the installer builder's own code for a run the user cancelled, 2 its code for a run the script
; stopped; the others are this product's.
!define EXIT_SWITCH 2
!define EXIT_IN_USE 3
!define EXIT_DOWNGRADE 4
!define EXIT_AUTOSTART 5
!define EXIT_PERMISSIONS 6
!define EXIT_BUSY 7
!define EXIT_CANCELLED 1

!macro OutcomeFunctions UN
; Pops the exit code, then the reason: logs the reason, shows it when not silent, and ends the run.
; Nothing after the failed step is done, so an entry in Programs and Features never names a version
; whose files are not all in place.
Function ${UN}Fail
    Exch $R8
    Exch
    Exch $R7
    Push "failed (exit code $R8): $R7"
    Call ${UN}LogLine
    ${IfNot} ${Silent}
    ${AndIf} $R8 != ${EXIT_CANCELLED}
        MessageBox MB_OK|MB_ICONSTOP "$R7$\r$\n$\r$\n$(SeeLog) $LogPath"
    ${EndIf}
    SetErrorLevel $R8
    Quit
FunctionEnd

; A Windows program of the system's own (taskkill, icacls, schtasks): pops the command line, runs it
; hidden and logs it with its output; pushes its exit code ("error" when it could not start).
Function ${UN}RunTool
    Exch $R6
    Push $R5
    Push $R4
    Push "run: $R6"
    Call ${UN}LogLine
    nsExec::ExecToStack $R6
    Pop $R5
    Pop $R4
    ${If} $R4 != ""
        Push "  $R4"
        Call ${UN}LogLine
    ${EndIf}
    Push "  exit code $R5"
    Call ${UN}LogLine
    StrCpy $R6 $R5
    Pop $R4
    Pop $R5
    Exch $R6
FunctionEnd
!macroend

!insertmacro OutcomeFunctions ""
!insertmacro OutcomeFunctions "un."

!macro Fail CODE TEXT
    Push "${TEXT}"
    Push ${CODE}
    !ifdef __UNINSTALL__
        Call un.Fail
    !else
        Call Fail
    !endif
!macroend
!define Fail "!insertmacro Fail"

; ${RunTool} "command line" $VAR: the tool's exit code in VAR ("error" when it could not start).
!macro RunTool COMMAND VAR
    Push `${COMMAND}`
    !ifdef __UNINSTALL__
        Call un.RunTool
    !else
        Call RunTool
    !endif
    Pop ${VAR}
!macroend
!define RunTool "!insertmacro RunTool"
