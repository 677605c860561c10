; The updater starts at each sign-in through a scheduled task. Both programs ask for administrator
; rights, and Windows with UAC does not start such a program from a Run entry at sign-in (it drops it
; without a word); a task that runs with the highest privileges of whoever signs in does start it.
; The task's definition stays beside the programs (autostart-task.xml), so that a technician can
; register it again with "schtasks /create /xml autostart-task.xml /tn TesmoraOrlu\TesmoraOrluUpdaterR".
!define TASK_NAME "${COMPANY}\TesmoraOrluUpdaterR"
!define TASK_FILE "autostart-task.xml"
; Earlier installs started the updater from the machine's Run entry.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "TesmoraOrluUpdaterR"

!macro TaskLine TEXT
    FileWriteUTF16LE $R0 `${TEXT}$\r$\n`
!macroend

; Writes the task's definition: a sign-in of any user (the group Users, S-1-5-32-545) starts the
; updater with /autostart in that user's session, elevated where the user may be. No time limit (the
; default of three days would end the updater and, with it, the remote it started); pads on battery
; start it too; normal priority (a task's default is below normal, and the remote would inherit it);
; several users signed in each get their own.
Function WriteTaskDefinition
    ; A folder's name may hold "&", which XML spells "&amp;".
    ${StrRep} $R2 "$INSTDIR" "&" "&amp;"
    FileOpen $R0 "$INSTDIR\${TASK_FILE}" w
    FileWriteByte $R0 255
    FileWriteByte $R0 254
    !insertmacro TaskLine '<?xml version="1.0" encoding="UTF-16"?>'
    !insertmacro TaskLine '<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">'
    !insertmacro TaskLine '  <RegistrationInfo>'
    !insertmacro TaskLine '    <Author>${COMPANY}</Author>'
    !insertmacro TaskLine '    <Description>${PRODUCT}: the updater brings the remote up to date at sign-in and starts it.</Description>'
    !insertmacro TaskLine '  </RegistrationInfo>'
    !insertmacro TaskLine '  <Triggers>'
    !insertmacro TaskLine '    <LogonTrigger>'
    !insertmacro TaskLine '      <Enabled>true</Enabled>'
    !insertmacro TaskLine '    </LogonTrigger>'
    !insertmacro TaskLine '  </Triggers>'
    !insertmacro TaskLine '  <Principals>'
    !insertmacro TaskLine '    <Principal id="SignedInUser">'
    !insertmacro TaskLine '      <GroupId>S-1-5-32-545</GroupId>'
    !insertmacro TaskLine '      <RunLevel>HighestAvailable</RunLevel>'
    !insertmacro TaskLine '    </Principal>'
    !insertmacro TaskLine '  </Principals>'
    !insertmacro TaskLine '  <Settings>'
    !insertmacro TaskLine '    <MultipleInstancesPolicy>Parallel</MultipleInstancesPolicy>'
    !insertmacro TaskLine '    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>'
    !insertmacro TaskLine '    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>'
    !insertmacro TaskLine '    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>'
    !insertmacro TaskLine '    <Priority>4</Priority>'
    !insertmacro TaskLine '    <Enabled>true</Enabled>'
    !insertmacro TaskLine '  </Settings>'
    !insertmacro TaskLine '  <Actions Context="SignedInUser">'
    !insertmacro TaskLine '    <Exec>'
    !insertmacro TaskLine '      <Command>"$R2\${UPDATER}"</Command>'
    !insertmacro TaskLine '      <Arguments>/autostart</Arguments>'
    !insertmacro TaskLine '      <WorkingDirectory>$R2</WorkingDirectory>'
    !insertmacro TaskLine '    </Exec>'
    !insertmacro TaskLine '  </Actions>'
    !insertmacro TaskLine '</Task>'
    FileClose $R0
FunctionEnd

; Registers the task (replacing an earlier install's); $AutostartFailed is 1 when it could not be.
Var AutostartFailed
Function RegisterAutostart
    StrCpy $AutostartFailed 0
    Call WriteTaskDefinition
    ${RunTool} '"$SYSDIR\schtasks.exe" /create /xml "$INSTDIR\${TASK_FILE}" /tn "${TASK_NAME}" /f' $R1
    ${If} $R1 != 0
        StrCpy $AutostartFailed 1
        ${Log} "$(AutostartFailed)"
    ${Else}
        ${Log} "registered: the scheduled task ${TASK_NAME}"
    ${EndIf}
    DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
FunctionEnd

Function un.RemoveAutostart
    ${RunTool} '"$SYSDIR\schtasks.exe" /delete /tn "${TASK_NAME}" /f' $R1
    DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
    Delete "$INSTDIR\${TASK_FILE}"
FunctionEnd
