; qiva_import.nsi: the Windows installer, qiva_import_setup_VERSION.exe. It installs the dialog
; program and the command-line program into a folder the user chooses, with a Start-menu entry
; and an uninstaller. Built by makensis in the cross build (packaging/CMakeLists.txt names the
; files through -D definitions: VERSION, OUTFILE, GUI_EXE, CLI_EXE, CONFIG_FILE, ICON_FILE).
;
; Silent mode: /S, with /D=FOLDER (last, unquoted) for the folder. The update check starts the
; installer while the old program is still ending, so the installer first waits for a running
; qiva_import.exe in the folder to end (and for qiva-import.exe, which a scheduled import may be
; running), before it replaces either. An existing QIVA_IMPORT.INI is never replaced, and the
; uninstaller leaves it, the database and the logs in the folder.

; A 64-bit installer for the 64-bit programs; it also runs where no 32-bit layer is installed
; (as a wine without its 32-bit part).
Target amd64-unicode
!include "LogicLib.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QIVA_IMPORT"

Name "QIVA_IMPORT ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON_FILE}"
UninstallIcon "${ICON_FILE}"
; The logs go beside the programs, so the default folder is one the user can write; no
; administrator rights are asked for.
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\QIVA_IMPORT"
; An update installs over the folder of the earlier install.
InstallDirRegKey HKCU "Software\QIVA_IMPORT" "InstallDir"
SetCompressor /SOLID lzma

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Waits until the program file named on the stack, in the install folder, can be opened for
; writing, which Windows refuses while the program runs; gives up after a minute, before
; anything is replaced.
Function WaitForProgramToEnd
  Exch $2
  StrCpy $1 0
  ${DoWhile} ${FileExists} "$INSTDIR\$2"
    ClearErrors
    FileOpen $0 "$INSTDIR\$2" a
    ${IfNot} ${Errors}
      FileClose $0
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
    ${If} $1 > 120
      SetErrorLevel 3
      Abort "$2 is still running in $INSTDIR"
    ${EndIf}
    Sleep 500
  ${Loop}
  Pop $2
FunctionEnd

Section "QIVA_IMPORT"
  SetOutPath "$INSTDIR"
  Push "qiva_import.exe"
  Call WaitForProgramToEnd
  Push "qiva-import.exe"
  Call WaitForProgramToEnd
  File "/oname=qiva_import.exe" "${GUI_EXE}"
  File "/oname=qiva-import.exe" "${CLI_EXE}"
  ${IfNot} ${FileExists} "$INSTDIR\QIVA_IMPORT.INI"
    File "/oname=QIVA_IMPORT.INI" "${CONFIG_FILE}"
  ${EndIf}
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\QIVA_IMPORT"
  CreateShortCut "$SMPROGRAMS\QIVA_IMPORT\QIVA_IMPORT.lnk" "$INSTDIR\qiva_import.exe"
  CreateShortCut "$SMPROGRAMS\QIVA_IMPORT\Uninstall QIVA_IMPORT.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKCU "Software\QIVA_IMPORT" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "QIVA_IMPORT"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\qiva_import.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\qiva_import.exe"
  Delete "$INSTDIR\qiva-import.exe"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\QIVA_IMPORT\QIVA_IMPORT.lnk"
  Delete "$SMPROGRAMS\QIVA_IMPORT\Uninstall QIVA_IMPORT.lnk"
  RMDir "$SMPROGRAMS\QIVA_IMPORT"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "Software\QIVA_IMPORT"
  ; Removed only when empty: the configuration, the database and the logs are the user's.
  RMDir "$INSTDIR"
SectionEnd
