; The Windows installer of VTMERV (scripts/windows-package.sh makes it with
; makensis): vtmerv.exe, vtmerv-check.exe and vtmerv-sample.exe with the README,
; the copyright, the licences of the parts inside vtmerv.exe and the
; uninstaller in one folder, the Start menu entry "Gestione archivi standard",
; and an entry in Windows' list of installed programs. It never writes the
; suite's own registry key (the suite's installer owns it) nor any archive.
;
; The folder: where the installed version is (InstallDirRegKey); else, when
; the user who runs the installer has the suite's key, the suite's programs
; folder (PERCORSOPROGRAMMI), from which the suite's task manager starts its
; programs; else C:\Program Files\VTMERV. /D= names another.
;
; An upgrade never leaves a half-updated folder: every file is unpacked first
; into a folder beside the installed ones, and only then the old files are
; moved aside and the new ones moved in (renames within one folder), the old
; ones coming back if a move fails. A running VTMERV program is found before
; anything is written.
;
; Exit status, the same silent (/S) or not: 0 installed; 1 cancelled by the
; operator; 2 failed, nothing changed; 3 a VTMERV program of the folder is
; running, nothing changed; 4 a newer version is installed, nothing changed;
; 5 VTMERV is installed in another folder, or by its MSI package, nothing
; changed. The uninstaller: 0 removed; 1 cancelled; 2 a file could not be
; removed (the entry in the list of installed programs stays); 3 a VTMERV
; program of the folder is running, nothing removed.
;
; Defines given by the script: VERSION (e.g. 1.0), PUBLISHER, BIN (the folder
; of the three .exe files), DOCS (the folder of the documents and of
; vtmerv-licenze), SOURCE (the checkout), OUTFILE, ESTIMATED_SIZE (KiB), and
; SIGN (a command that signs the file %1 in place), when the files are signed.

; A 64-bit installer, as the programs it installs (and Wine without 32-bit
; support runs it).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestLongPathAware true

!include "LogicLib.nsh"
!include "x64.nsh"
!include "FileFunc.nsh"
!include "WordFunc.nsh"

!define CAPTION "VTMERV - Gestione archivi standard"
!define SHORTCUT "$SMPROGRAMS\Gestione archivi standard.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VTMERV"
!define MSI_KEY "Software\VTMERV"
!define SUITE_KEY "SOFTWARE\VELTRANI\TESSARO"
!define UNINSTALLER "vtmerv-uninstall.exe"
; What the installation puts into its folder, besides the uninstaller.
!define LICENSES "vtmerv-licenze"
!macro FOR_EACH_ITEM MACRO
  !insertmacro ${MACRO} "vtmerv.exe"
  !insertmacro ${MACRO} "vtmerv-check.exe"
  !insertmacro ${MACRO} "vtmerv-sample.exe"
  !insertmacro ${MACRO} "vtmerv-README.txt"
  !insertmacro ${MACRO} "vtmerv-COPYRIGHT.txt"
  !insertmacro ${MACRO} "${LICENSES}"
  !insertmacro ${MACRO} "${UNINSTALLER}"
!macroend

!define EXIT_FAILED 2
!define EXIT_IN_USE 3
!define EXIT_NEWER 4
!define EXIT_ELSEWHERE 5

!ifdef SIGN
  !uninstfinalize '${SIGN}'
!endif

Name "${CAPTION}"
Caption "${CAPTION} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\VTMERV"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
Icon "${SOURCE}\packaging\windows\vtmerv.ico"
UninstallIcon "${SOURCE}\packaging\windows\vtmerv.ico"
LoadLanguageFile "${NSISDIR}\Contrib\Language files\Italian.nlf"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0.0"
VIFileVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1040 "ProductName" "${CAPTION}"
VIAddVersionKey /LANG=1040 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1040 "FileDescription" "Installazione di ${CAPTION}"
VIAddVersionKey /LANG=1040 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1040 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1040 "LegalCopyright" "Copyright (C) 2026 the owners of the VTMERV project"

LicenseData "${DOCS}\vtmerv-COPYRIGHT.txt"
Page license
PageEx license
  LicenseText "vtmerv.exe contiene la libreria Qt, con licenza LGPL: dove sono i sorgenti e che cosa permette." "Avanti >"
  LicenseData "${DOCS}\${LICENSES}\NOTICE.txt"
PageExEnd
DirText "La suite Tessaro avvia i suoi programmi dalla propria cartella dei programmi: quando la suite è installata per questo utente, VTMERV va installato lì. Un aggiornamento resta nella cartella della versione installata."
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var previous_folder
Var previous_version
Var staging
Var backup

; --- Shared by the installer and the uninstaller ---------------------------------

; $0 gets the name of the program if the file FILE of the folder is a running
; program: Windows refuses to open a running program's file for writing.
!macro FIND_RUNNING FILE
  ${If} ${FileExists} "$INSTDIR\${FILE}"
    ClearErrors
    FileOpen $1 "$INSTDIR\${FILE}" a
    ${If} ${Errors}
      StrCpy $0 "${FILE}"
    ${Else}
      FileClose $1
    ${EndIf}
  ${EndIf}
!macroend

; Goes on only when no VTMERV program of the folder runs: asks the operator
; to close it, or ends with EXIT_IN_USE (at once when silent).
!macro CHECK_CLOSED UN
  Function ${UN}CheckClosed
    retry:
    StrCpy $0 ""
    !insertmacro FIND_RUNNING "vtmerv.exe"
    !insertmacro FIND_RUNNING "vtmerv-check.exe"
    !insertmacro FIND_RUNNING "vtmerv-sample.exe"
    ${If} $0 != ""
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "$0 è in esecuzione (cartella $INSTDIR).$\r$\n$\r$\nChiudere VTMERV e premere Riprova; Annulla esce senza cambiare nulla." \
        /SD IDCANCEL IDRETRY retry
      DetailPrint "$0 è in esecuzione: nulla è stato cambiato."
      SetErrorLevel ${EXIT_IN_USE}
      Quit
    ${EndIf}
  FunctionEnd
!macroend
!insertmacro CHECK_CLOSED ""
!insertmacro CHECK_CLOSED "un."

; --- The installer ----------------------------------------------------------------

Function .onInit
  SetRegView 64
  SetShellVarContext all
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "VTMERV richiede Windows a 64 bit." /SD IDOK
    SetErrorLevel ${EXIT_FAILED}
    Quit
  ${EndIf}

  ReadRegStr $0 HKLM "${MSI_KEY}" "MsiInstallDir"
  ${If} $0 != ""
    MessageBox MB_ICONSTOP "VTMERV è già installato in $0 dal suo pacchetto MSI: aggiornarlo con un pacchetto MSI, o disinstallarlo prima." /SD IDOK
    SetErrorLevel ${EXIT_ELSEWHERE}
    Quit
  ${EndIf}

  ReadRegStr $previous_version HKLM "${UNINSTALL_KEY}" "DisplayVersion"
  ReadRegStr $previous_folder HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $previous_version != ""
    ${VersionCompare} "$previous_version" "${VERSION}" $0
    ${If} $0 == 1
      MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION \
        "È installata la versione $previous_version di VTMERV, più recente di questa (${VERSION}). Installare comunque la ${VERSION}?" \
        /SD IDCANCEL IDOK older_anyway
      SetErrorLevel ${EXIT_NEWER}
      Quit
      older_anyway:
    ${EndIf}
  ${EndIf}

  ; The first installation goes to the suite's programs folder when the
  ; suite is installed for this user and /D= names no other.
  ${If} $previous_folder == ""
    System::Call 'kernel32::GetCommandLineW() t .r0'
    ${WordFind} "$0" " /D=" "E+1{" $1
    ${If} ${Errors}
      ClearErrors
      ReadRegStr $1 HKCU "${SUITE_KEY}" "PERCORSOPROGRAMMI"
      ${If} $1 != ""
        ${GetRoot} "$1" $2
        ${If} $1 != "$2\"
          StrCpy $2 $1 1 -1
          ${If} $2 == "\"
            StrCpy $1 $1 -1
          ${EndIf}
        ${EndIf}
        ${If} ${FileExists} "$1\*.*"
          StrCpy $INSTDIR $1
        ${EndIf}
      ${EndIf}
    ${EndIf}
  ${EndIf}
FunctionEnd

; Puts every item back as it was before this installation, after a failed move.
!macro ROLL_BACK ITEM
  ${IfNot} ${FileExists} "$staging\${ITEM}"
    Delete "$INSTDIR\${ITEM}"
    RMDir /r "$INSTDIR\${ITEM}"
  ${EndIf}
  ${If} ${FileExists} "$backup\${ITEM}"
    Rename "$backup\${ITEM}" "$INSTDIR\${ITEM}"
  ${EndIf}
!macroend

Function RollBack
  !insertmacro FOR_EACH_ITEM ROLL_BACK
  RMDir /r "$staging"
  RMDir /r "$backup"
  DetailPrint "Nulla è stato cambiato: la versione installata è rimasta com'era."
  SetErrorLevel ${EXIT_FAILED}
  Abort
FunctionEnd

!macro CHECK_STAGED ITEM
  ${IfNot} ${FileExists} "$staging\${ITEM}"
    SetErrors
  ${EndIf}
!macroend

!macro MOVE_OLD_ASIDE ITEM
  ${If} ${FileExists} "$INSTDIR\${ITEM}"
    ClearErrors
    Rename "$INSTDIR\${ITEM}" "$backup\${ITEM}"
    ${If} ${Errors}
      DetailPrint "Impossibile spostare $INSTDIR\${ITEM}."
      Call RollBack
    ${EndIf}
  ${EndIf}
!macroend

!macro MOVE_NEW_IN ITEM
  ClearErrors
  Rename "$staging\${ITEM}" "$INSTDIR\${ITEM}"
  ${If} ${Errors}
    DetailPrint "Impossibile mettere al suo posto $INSTDIR\${ITEM}."
    Call RollBack
  ${EndIf}
!macroend

Section "VTMERV"
  SectionIn RO
  ${If} $previous_folder != ""
  ${AndIf} $previous_folder != $INSTDIR
    MessageBox MB_ICONSTOP "VTMERV è già installato in $previous_folder: aggiornarlo lì, o disinstallarlo prima di installarlo altrove." /SD IDOK
    DetailPrint "VTMERV è già installato in $previous_folder: nulla è stato cambiato."
    SetErrorLevel ${EXIT_ELSEWHERE}
    Quit
  ${EndIf}
  Call CheckClosed

  ; Everything unpacked beside the installed files first.
  StrCpy $staging "$INSTDIR\vtmerv-nuova.tmp"
  StrCpy $backup "$INSTDIR\vtmerv-vecchia.tmp"
  RMDir /r "$staging"
  RMDir /r "$backup"
  ClearErrors
  CreateDirectory "$staging"
  SetOutPath "$staging"
  File "${BIN}\vtmerv.exe"
  File "${BIN}\vtmerv-check.exe"
  File "${BIN}\vtmerv-sample.exe"
  File "${DOCS}\vtmerv-README.txt"
  File "${DOCS}\vtmerv-COPYRIGHT.txt"
  File /r "${DOCS}\${LICENSES}"
  WriteUninstaller "$staging\${UNINSTALLER}"
  !insertmacro FOR_EACH_ITEM CHECK_STAGED
  SetOutPath "$INSTDIR"
  ${If} ${Errors}
    DetailPrint "Impossibile scrivere i file in $INSTDIR."
    RMDir /r "$staging"
    SetErrorLevel ${EXIT_FAILED}
    Abort
  ${EndIf}

  ; Then the old files aside and the new ones in, by renames.
  CreateDirectory "$backup"
  !insertmacro FOR_EACH_ITEM MOVE_OLD_ASIDE
  !insertmacro FOR_EACH_ITEM MOVE_NEW_IN
  RMDir /r "$backup"
  RMDir "$staging"

  CreateShortcut "${SHORTCUT}" "$INSTDIR\vtmerv.exe" "" "$INSTDIR\vtmerv.exe" 0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${CAPTION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vtmerv.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  ; The uninstaller runs in place (_?=) and so ends only when it is done.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}" _?=$INSTDIR'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S _?=$INSTDIR'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${ESTIMATED_SIZE}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; --- The uninstaller --------------------------------------------------------------

Function un.onInit
  SetRegView 64
  SetShellVarContext all
  ; A copy of the uninstaller in the temporary folder, started with
  ; /ATTENDI=<process>, removes the uninstaller's own file and the folder
  ; once that process (the uninstaller, which cannot remove its own file
  ; while it runs) has ended.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} "$0" "/ATTENDI=" $1
  ${IfNot} ${Errors}
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'
    ${If} $2 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p r2, i 60000)'
      System::Call 'kernel32::CloseHandle(p r2)'
    ${EndIf}
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
    Delete /REBOOTOK "$EXEPATH"
    SetErrorLevel 0
    Quit
  ${EndIf}
FunctionEnd

!macro REMOVE ITEM
  ${If} ${FileExists} "$INSTDIR\${ITEM}\*.*"
    RMDir /r "$INSTDIR\${ITEM}"
  ${Else}
    Delete "$INSTDIR\${ITEM}"
  ${EndIf}
!macroend

!macro CHECK_REMOVED ITEM
  !if "${ITEM}" != "${UNINSTALLER}"
    ${If} ${FileExists} "$INSTDIR\${ITEM}"
      DetailPrint "Impossibile eliminare $INSTDIR\${ITEM}."
      SetErrors
    ${EndIf}
  !endif
!macroend

Section "Uninstall"
  Call un.CheckClosed
  !insertmacro REMOVE "vtmerv.exe"
  !insertmacro REMOVE "vtmerv-check.exe"
  !insertmacro REMOVE "vtmerv-sample.exe"
  !insertmacro REMOVE "vtmerv-README.txt"
  !insertmacro REMOVE "vtmerv-COPYRIGHT.txt"
  !insertmacro REMOVE "${LICENSES}"
  ClearErrors
  !insertmacro FOR_EACH_ITEM CHECK_REMOVED
  ${If} ${Errors}
    DetailPrint "VTMERV resta nell'elenco dei programmi installati."
    SetErrorLevel ${EXIT_FAILED}
    Abort
  ${EndIf}
  Delete "${SHORTCUT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ${If} "$EXEPATH" == "$INSTDIR\${UNINSTALLER}"
    ; Run in place (_?=): a copy removes this file once this process ends.
    GetTempFileName $0
    Rename "$0" "$0.exe"
    CopyFiles /SILENT "$EXEPATH" "$0.exe"
    System::Call 'kernel32::GetCurrentProcessId() i .r1'
    Exec '"$0.exe" /S /ATTENDI=$1 _?=$INSTDIR'
  ${Else}
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
  ${EndIf}
SectionEnd
