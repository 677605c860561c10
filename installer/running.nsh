; The remote and the updater running from the install folder: Windows keeps a running program's file
; from being replaced or deleted, and the installer builder, silent, would skip such a file without a
; word. Before it copies or deletes anything the setup ends them (asking first when not silent) with
; the system's own taskkill: first the polite way (their windows are asked to close), then by force.

Var InUse

!macro RunningFunctions UN
; Pops a path; pushes 1 when the file exists and cannot be opened for writing (a running program's
; file, or one another program holds), else 0.
Function ${UN}FileInUse
    Exch $R0
    Push $R1
    StrCpy $R1 0
    ${If} ${FileExists} "$R0"
        ClearErrors
        FileOpen $R0 "$R0" a
        ${If} ${Errors}
            StrCpy $R1 1
        ${Else}
            FileClose $R0
        ${EndIf}
    ${EndIf}
    StrCpy $R0 $R1
    Pop $R1
    Exch $R0
FunctionEnd

; $InUse: the program files of the install folder that are in use, separated by spaces ("" for none).
Function ${UN}ProgramsInUse
    StrCpy $InUse ""
    ; The updater first: it starts the remote.
    Push "$INSTDIR\${UPDATER}"
    Call ${UN}FileInUse
    Pop $R2
    ${If} $R2 == 1
        StrCpy $InUse "${UPDATER}"
    ${EndIf}
    Push "$INSTDIR\${REMOTE}"
    Call ${UN}FileInUse
    Pop $R2
    ${If} $R2 == 1
    ${AndIf} $InUse != ""
        StrCpy $InUse "$InUse ${REMOTE}"
    ${ElseIf} $R2 == 1
        StrCpy $InUse "${REMOTE}"
    ${EndIf}
FunctionEnd

; Waits up to ten seconds for the programs to let go of their files.
Function ${UN}WaitProgramsGone
    StrCpy $R4 0
    ${Do}
        Call ${UN}ProgramsInUse
        ${If} $InUse == ""
        ${OrIf} $R4 >= 20
            ${Break}
        ${EndIf}
        Sleep 500
        IntOp $R4 $R4 + 1
    ${Loop}
FunctionEnd

; Ends the running programs (asking first when not silent); fails with exit code 3 when a program
; file is still in use afterwards, and with 1 when the user would rather close them.
Function ${UN}EndPrograms
    Call ${UN}ProgramsInUse
    ${If} $InUse == ""
        Return
    ${EndIf}
    Push "in use: $InUse"
    Call ${UN}LogLine
    MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION "$(CloseProgramsQuestion)" /SD IDOK IDOK close
    Push "$(ClosedByUser)"
    Push ${EXIT_CANCELLED}
    Call ${UN}Fail
close:
    ${RunTool} '"$SYSDIR\taskkill.exe" /im ${UPDATER} /im ${REMOTE}' $R5
    Call ${UN}WaitProgramsGone
    ${If} $InUse != ""
        ${RunTool} '"$SYSDIR\taskkill.exe" /f /im ${UPDATER} /im ${REMOTE}' $R5
        Call ${UN}WaitProgramsGone
    ${EndIf}
    ${If} $InUse != ""
        Push "$(FailInUse) $InUse"
        Push ${EXIT_IN_USE}
        Call ${UN}Fail
    ${EndIf}
    Push "ended: the running programs"
    Call ${UN}LogLine
FunctionEnd
!macroend

!insertmacro RunningFunctions ""
!insertmacro RunningFunctions "un."
