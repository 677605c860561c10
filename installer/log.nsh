; The setup log a school's technician reads when an install or removal on a pad went wrong:
; %ProgramData%\TesmoraOrlu\TesmoraOrluRemoconSetup.log, UTF-16LE with its byte-order mark (Notepad
; reads it), one dated line per step, the installer's and the uninstaller's runs one after the other.
; It outlives the uninstall that wrote into it. Past LOG_LIMIT bytes it moves to ".old" (one copy
; kept), so that years of silent installs never fill the disk.

!define LOG_LIMIT 524288
Var LogPath

!macro LogFunctions UN
; Opens the log for this run ($APPDATA is the machine's ProgramData: SetShellVarContext all).
Function ${UN}OpenLog
    CreateDirectory "$APPDATA\${COMPANY}"
    StrCpy $LogPath "$APPDATA\${COMPANY}\TesmoraOrluRemoconSetup.log"
    ClearErrors
    FileOpen $R0 "$LogPath" r
    ${IfNot} ${Errors}
        FileSeek $R0 0 END $R1
        FileClose $R0
        ${If} $R1 > ${LOG_LIMIT}
            Delete "$LogPath.old"
            Rename "$LogPath" "$LogPath.old"
        ${EndIf}
    ${EndIf}
FunctionEnd

; Pops a line, shows it among the details and appends it to the log with the local date and time.
Function ${UN}LogLine
    Exch $R9
    Push $R0
    Push $R1
    Push $0
    Push $1
    Push $2
    Push $3
    Push $4
    Push $5
    Push $6
    DetailPrint "$R9"
    ${If} $LogPath != ""
        ClearErrors
        FileOpen $R0 "$LogPath" a
        ${IfNot} ${Errors}
            FileSeek $R0 0 END $R1
            ${If} $R1 == 0
                FileWriteByte $R0 255
                FileWriteByte $R0 254
            ${EndIf}
            ${GetTime} "" "L" $0 $1 $2 $3 $4 $5 $6
            FileWriteUTF16LE $R0 "$2-$1-$0 $4:$5:$6 $R9$\r$\n"
            FileClose $R0
        ${EndIf}
    ${EndIf}
    Pop $6
    Pop $5
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Pop $0
    Pop $R1
    Pop $R0
    Pop $R9
FunctionEnd
!macroend

!insertmacro LogFunctions ""
!insertmacro LogFunctions "un."

!macro Log TEXT
    Push "${TEXT}"
    !ifdef __UNINSTALL__
        Call un.LogLine
    !else
        Call LogLine
    !endif
!macroend
!define Log "!insertmacro Log"
