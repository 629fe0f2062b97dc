; The Windows installer: both programs under Program Files, a Start-menu entry with the icon,
; an uninstaller. scripts/build-windows passes VERSION, PROGRAMS (the folder with the .exe
; files), ICON and OUTFILE. It speaks English or German, as the user's interface language asks
; (NSIS chooses among the languages below by itself; English is the first, for all others).
Unicode true
; 64-bit programs, and Debian's Wine runs 64-bit installers only.
Target amd64-unicode

!include "MUI2.nsh"
!include "x64.nsh"

Name "Vandrel ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Vandrel"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"

; Our own texts, beside those of NSIS's language files.
LangString SHORTCUT_COMMENT ${LANG_ENGLISH} "Convert a mailbox exported by Calypso into mbox files for Thunderbird"
LangString SHORTCUT_COMMENT ${LANG_GERMAN} "Ein von Calypso exportiertes Postfach in mbox-Dateien für Thunderbird konvertieren"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vandrel"

Function .onInit
  SetRegView 64
FunctionEnd

Section "Vandrel"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${PROGRAMS}\vandrel.exe"
  File "${PROGRAMS}\vandrel-cli.exe"
  File "${PROGRAMS}\README.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Vandrel.lnk" "$INSTDIR\vandrel.exe" "" "$INSTDIR\vandrel.exe" 0 \
    SW_SHOWNORMAL "" "$(SHORTCUT_COMMENT)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Vandrel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vandrel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

; The remembered paths stay: they are the user's, not the program's.
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Vandrel.lnk"
  Delete "$INSTDIR\vandrel.exe"
  Delete "$INSTDIR\vandrel-cli.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
