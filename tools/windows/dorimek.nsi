; The setup program of dorimek for Windows. Built by build.sh, which passes
; VERSION, STAGE (the program folder gathered by deploy.sh), SAMPLES and
; OUTFILE.
;
; The program folder holds the clinic's data beside the program (yakujo.txt,
; sorbenk.ini, photos\): installing again replaces the program only, and
; removing it leaves the data.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

Name "dorimek"
OutFile "${OUTFILE}"
; Not under Program Files: the program rewrites its master file and settings
; beside itself, which Program Files allows administrators only.
InstallDir "C:\dorimek"
InstallDirRegKey HKLM "Software\dorimek" "InstallDir"
RequestExecutionLevel admin
ShowInstDetails show

!include "MUI2.nsh"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\dorimek"

Section "dorimek"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  SetOverwrite on
  File /r "${STAGE}\*.*"

  ; Sample data only where the folder has none: a clinic's master file,
  ; settings and rp.csv are never replaced. The photo folder is one unit, so
  ; no demo pictures mix into a clinic's own.
  SetOverwrite off
  File "${SAMPLES}\yakujo.txt"
  File "${SAMPLES}\sorbenk.ini"
  SetOutPath "$INSTDIR\qev"
  File "${SAMPLES}\qev\rp.csv"
  IfFileExists "$INSTDIR\photos\*.*" photos_done
    SetOutPath "$INSTDIR\photos"
    File "${SAMPLES}\photos\*.*"
  photos_done:
  SetOverwrite on
  SetOutPath "$INSTDIR"

  CreateShortcut "$SMPROGRAMS\dorimek.lnk" "$INSTDIR\dorimek.exe" "" "" 0 SW_SHOWNORMAL "" "薬剤情報提供書"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "Software\dorimek" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "dorimek"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes the program and what setup made, never the clinic's data: the
; master file, settings, photos and rp.csv stay, and so does the folder.
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\dorimek.lnk"
  Delete "$INSTDIR\dorimek.exe"
  Delete "$INSTDIR\*.dll"
  Delete "$INSTDIR\qt.conf"
  RMDir /r "$INSTDIR\platforms"
  RMDir /r "$INSTDIR\styles"
  RMDir /r "$INSTDIR\translations"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR\qev"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\dorimek"
SectionEnd
