@echo off

rem Uninstall %OFFICEAPPNAME% %OFFICEAPPVERSION% COM Add-In

regsvr32.exe /u %COMADDIN%
