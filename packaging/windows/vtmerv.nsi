; The Windows installer of VTMERV (scripts/windows-package.sh makes it with
; makensis): vtmerv.exe, vtmerv-check.exe and vtmerv-sample.exe with the README
; and the licence text in one folder, the Start menu entry "Gestione archivi
; standard", and an uninstaller registered in Windows' list of installed
; programs. It never touches the suite's own registry key (the suite's
; installer owns it) nor any archive.
;
; Defines given by the script: VERSION (e.g. 1.0), BIN (the folder of the
; three .exe files), SOURCE (the checkout), OUTFILE.

; A 64-bit installer, as the programs it installs (and Wine without 32-bit
; support runs it).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "LogicLib.nsh"
!include "x64.nsh"

!define PRODUCT "VTMERV"
!define CAPTION "VTMERV - Gestione archivi standard"
!define SHORTCUT "$SMPROGRAMS\Gestione archivi standard.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VTMERV"

Name "${CAPTION}"
Caption "${CAPTION} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\VTMERV"
Icon "${SOURCE}\packaging\windows\vtmerv.ico"
UninstallIcon "${SOURCE}\packaging\windows\vtmerv.ico"
LoadLanguageFile "${NSISDIR}\Contrib\Language files\Italian.nlf"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0.0"
VIFileVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1040 "ProductName" "${CAPTION}"
VIAddVersionKey /LANG=1040 "FileDescription" "Installazione di ${CAPTION}"
VIAddVersionKey /LANG=1040 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1040 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1040 "LegalCopyright" "Copyright (C) 2026 the owners of the VTMERV project"

LicenseData "${SOURCE}\packaging\copyright"
Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "VTMERV richiede Windows a 64 bit."
    Abort
  ${EndIf}
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "VTMERV"
  SetOutPath "$INSTDIR"
  File "${BIN}\vtmerv.exe"
  File "${BIN}\vtmerv-check.exe"
  File "${BIN}\vtmerv-sample.exe"
  File "/oname=README.md" "${SOURCE}\README.md"
  File "/oname=LICENZA.txt" "${SOURCE}\packaging\copyright"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "${SHORTCUT}" "$INSTDIR\vtmerv.exe" "" "$INSTDIR\vtmerv.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${CAPTION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vtmerv.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\vtmerv.exe"
  Delete "$INSTDIR\vtmerv-check.exe"
  Delete "$INSTDIR\vtmerv-sample.exe"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\LICENZA.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
