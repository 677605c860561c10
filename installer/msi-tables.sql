-- What the Windows Installer package needs beyond what wixl writes (installer/build-msi runs each
-- statement with msibuild). @TASK_X86@ and @TASK_WOW64@: the conditions of the two task definitions.
--
-- The task definition for the programs' own Program Files, the other for 32-bit programs on 64-bit Windows.
UPDATE `Component` SET `Condition` = '@TASK_X86@' WHERE `Component` = 'TaskX86'
UPDATE `Component` SET `Condition` = '@TASK_WOW64@' WHERE `Component` = 'TaskWow64'
-- config.ini holds only the keys whose property is given (no file when none is: the programs'
-- defaults). A key stays when a later version leaves its property out
-- (msidbComponentAttributesPermanent); the removal deletes config.ini itself (RemoveConfig below: a
-- removal for an upgrade keeps it). Windows writes a new
-- config.ini in the ANSI code page, which the remote turns into UTF-16 when it first reads it.
UPDATE `Component` SET `Condition` = 'WEBSERVER', `Attributes` = 16 WHERE `Component` = 'IniWebServer'
UPDATE `Component` SET `Condition` = 'UPDATESERVER', `Attributes` = 16 WHERE `Component` = 'IniUpdateServer'
UPDATE `Component` SET `Condition` = 'LAYOUT', `Attributes` = 16 WHERE `Component` = 'IniLayout'
UPDATE `Component` SET `Condition` = 'STRICTCERTIFICATES', `Attributes` = 16 WHERE `Component` = 'IniStrict'
UPDATE `Component` SET `Condition` = 'LOGFILE', `Attributes` = 16 WHERE `Component` = 'IniLogFile'
UPDATE `Component` SET `Condition` = 'LANGUAGE', `Attributes` = 16 WHERE `Component` = 'Language'
UPDATE `Component` SET `Condition` = 'LANGUAGE', `Attributes` = 16 WHERE `Component` = 'PadLanguage'
CREATE TABLE `IniFile` (`IniFile` CHAR(72) NOT NULL, `FileName` CHAR(255) NOT NULL LOCALIZABLE, `DirProperty` CHAR(72), `Section` CHAR(96) NOT NULL LOCALIZABLE, `Key` CHAR(128) NOT NULL LOCALIZABLE, `Value` CHAR(255) NOT NULL LOCALIZABLE, `Action` SHORT NOT NULL, `Component_` CHAR(72) NOT NULL PRIMARY KEY `IniFile`)
INSERT INTO `IniFile` (`IniFile`, `FileName`, `DirProperty`, `Section`, `Key`, `Value`, `Action`, `Component_`) VALUES ('IniWebServer', 'config.ini', 'INSTALLDIR', 'default', 'webserver', '[WEBSERVER]', 0, 'IniWebServer')
INSERT INTO `IniFile` (`IniFile`, `FileName`, `DirProperty`, `Section`, `Key`, `Value`, `Action`, `Component_`) VALUES ('IniUpdateServer', 'config.ini', 'INSTALLDIR', 'default', 'updateserver', '[UPDATESERVER]', 0, 'IniUpdateServer')
INSERT INTO `IniFile` (`IniFile`, `FileName`, `DirProperty`, `Section`, `Key`, `Value`, `Action`, `Component_`) VALUES ('IniLayout', 'config.ini', 'INSTALLDIR', 'default', 'layout', '[LAYOUT]', 0, 'IniLayout')
INSERT INTO `IniFile` (`IniFile`, `FileName`, `DirProperty`, `Section`, `Key`, `Value`, `Action`, `Component_`) VALUES ('IniStrict', 'config.ini', 'INSTALLDIR', 'default', 'strictcertificates', '[STRICTCERTIFICATES]', 0, 'IniStrict')
INSERT INTO `IniFile` (`IniFile`, `FileName`, `DirProperty`, `Section`, `Key`, `Value`, `Action`, `Component_`) VALUES ('IniLogFile', 'config.ini', 'INSTALLDIR', 'default', 'logfile', '[LOGFILE]', 0, 'IniLogFile')
-- The remote's language in the profile of the account that installs (as the installer's /LANGUAGE).
INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Value`, `Component_`) VALUES ('Language', 1, 'Software\TesmoraOrlu\TesmoraOrluRemocon\config', 'language', '[LANGUAGE]', 'Language')
-- The pad's default language for every account (both programs read it when the user's profile has
-- none); permanent like config.ini's keys, and removed with it (RemovePadLanguage below).
INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Value`, `Component_`) VALUES ('PadLanguage', 2, 'Software\TesmoraOrlu\TesmoraOrluRemocon\config', 'language', '[LANGUAGE]', 'PadLanguage')
-- What the updater leaves beside the programs: dated backups (name_YYYYMMDD_n), staged and partial
-- downloads (on install too: an older staged file would otherwise replace the new one), its batch, a
-- crash dump.
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('RemoteBackups', 'Remote', 'TesmoraOrluRemocon.exe_*', 'INSTALLDIR', 3)
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('UpdaterBackups', 'Remote', 'TesmoraOrluUpdaterR.exe_*', 'INSTALLDIR', 3)
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('Staged', 'Remote', '*_new', 'INSTALLDIR', 3)
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('Partial', 'Remote', '*.part', 'INSTALLDIR', 3)
-- The staged names of the files this package installs, named one by one as well: not every
-- implementation of Windows Installer takes a wildcard here.
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('RemoteNew', 'Remote', 'TesmoraOrluRemocon.exe_new', 'INSTALLDIR', 3)
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('RemoteNewPart', 'Remote', 'TesmoraOrluRemocon.exe_new.part', 'INSTALLDIR', 3)
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('UpdaterNew', 'Remote', 'TesmoraOrluUpdaterR.exe_new', 'INSTALLDIR', 3)
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('UpdaterNewPart', 'Remote', 'TesmoraOrluUpdaterR.exe_new.part', 'INSTALLDIR', 3)
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('EngNew', 'Languages', 'TesmoraOrluRemoconEng.dll_new', 'LanguageFolder', 3)
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('EngNewPart', 'Languages', 'TesmoraOrluRemoconEng.dll_new.part', 'LanguageFolder', 3)
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('JapanNew', 'Languages', 'TesmoraOrluRemoconJapan.dll_new', 'LanguageFolder', 3)
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('JapanNewPart', 'Languages', 'TesmoraOrluRemoconJapan.dll_new.part', 'LanguageFolder', 3)
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('Batch', 'Remote', 'aUpdate.bat', 'INSTALLDIR', 2)
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('Dump', 'Remote', 'RemoconDump.dmp', 'INSTALLDIR', 2)
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('ConfigBackups', 'Remote', 'config_*.ini', 'INSTALLDIR', 2)
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('LanguageBackups', 'Languages', 'TesmoraOrluRemocon*.dll_*', 'LanguageFolder', 3)
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('LanguageStaged', 'Languages', '*_new', 'LanguageFolder', 3)
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('LanguagePartial', 'Languages', '*.part', 'LanguageFolder', 3)
-- Deferred, as the system (msidbCustomActionTypeExe + Directory, InScript, NoImpersonate; the first
-- and the last ignore the exit code): the running programs end before their files are replaced or
-- removed, else Windows Installer would leave the old files until a restart; the task is removed
-- with the programs and registered once they are in place (after an older version's removal).
INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('EndPrograms', 3170, 'TARGETDIR', '"[SystemFolder]taskkill.exe" /f /im TesmoraOrluUpdaterR.exe /im TesmoraOrluRemocon.exe')
INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('RegisterTask', 3106, 'TARGETDIR', '"[SystemFolder]schtasks.exe" /create /xml "[INSTALLDIR]autostart-task.xml" /tn TesmoraOrlu\TesmoraOrluUpdaterR /f')
INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('RemoveConfig', 3170, 'TARGETDIR', '"[SystemFolder]cmd.exe" /c del /f /q "[INSTALLDIR]config.ini"')
INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('RemovePadLanguage', 3170, 'TARGETDIR', '"[SystemFolder]reg.exe" delete "HKLM\Software\TesmoraOrlu\TesmoraOrluRemocon\config" /v language /f')
INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('RemoveTask', 3170, 'TARGETDIR', '"[SystemFolder]schtasks.exe" /delete /tn TesmoraOrlu\TesmoraOrluUpdaterR /f')
INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('EndPrograms', '', 1550)
INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('RemoveTask', 'REMOVE="ALL"', 1560)
INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('RemoveIniValues', '', 3100)
INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('RemoveConfig', 'REMOVE="ALL" AND NOT UPGRADINGPRODUCTCODE', 3400)
INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('RemovePadLanguage', 'REMOVE="ALL" AND NOT UPGRADINGPRODUCTCODE', 3410)
DELETE FROM `InstallExecuteSequence` WHERE `Action` = 'RemoveExistingProducts'
INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('RemoveExistingProducts', '', 4010)
INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('RegisterTask', 'NOT REMOVE="ALL"', 4020)
INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('WriteIniValues', '', 5100)
-- The properties an administrator gives pass into the part that runs as the system.
UPDATE `Property` SET `Value` = 'WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;WEBSERVER;UPDATESERVER;LAYOUT;STRICTCERTIFICATES;LOGFILE;LANGUAGE' WHERE `Property` = 'SecureCustomProperties'
