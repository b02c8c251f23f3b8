; The Windows installer of Tellurn: for the player alone, with no administrator's prompt, into
; %LOCALAPPDATA%\Programs\Tellurn, with a Start menu shortcut and an uninstaller in the list of
; installed apps. Runs without a question with /S, as its uninstaller does. Built by the
; tellurn-downloads target (scripts/windows/CMakeLists.txt):
;   makensis -DVERSION=0.69 -DSTAGE=FOLDER -DICON=tellurn.ico -DOUTFILE=SETUP.exe tellurn.nsi
; where FOLDER holds the game's files as the zip has them.
Unicode true
; A 64-bit installer for the 64-bit game (it also runs under Wine64 alone).
Target amd64-unicode
RequestExecutionLevel user
; No file times in the installer: the same files give the same bytes.
SetDateSave off
SetCompressor /SOLID lzma

!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tellurn"
!define PUBLISHER "Tellurn developers"

Name "Tellurn ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\Tellurn"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "Tellurn"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Tellurn ${VERSION} installer"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "MIT License"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Tellurn"
  SetOutPath "$INSTDIR"
  File "${STAGE}\tellurn.exe"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  SetOutPath "$INSTDIR\data"
  File "${STAGE}\data\arial.ttf"
  File "${STAGE}\data\LICENSE-arial.ttf.txt"
  File "${STAGE}\data\GPL-2.txt"
  SetOutPath "$INSTDIR\licences"
  File "${STAGE}\licences\Allegro.txt"
  File "${STAGE}\licences\Chipmunk.txt"
  File "${STAGE}\licences\FreeType.txt"

  ; The game keeps its saves in %APPDATA%\Tellurn, not beside itself, when it finds this file.
  FileOpen $0 "$INSTDIR\installed.txt" w
  FileWrite $0 "This copy of Tellurn keeps its saves in %APPDATA%\Tellurn.$\r$\n"
  FileClose $0

  ; The shortcut starts the game in its folder, where it finds data\arial.ttf.
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\Tellurn.lnk" "$INSTDIR\tellurn.exe" "" "$INSTDIR\tellurn.exe" 0

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tellurn"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tellurn.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes what the installer put there and nothing else: the saves in %APPDATA%\Tellurn stay, and
; so does the folder if anything else was left in it.
Section "Uninstall"
  Delete "$SMPROGRAMS\Tellurn.lnk"
  Delete "$INSTDIR\tellurn.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\installed.txt"
  Delete "$INSTDIR\data\arial.ttf"
  Delete "$INSTDIR\data\LICENSE-arial.ttf.txt"
  Delete "$INSTDIR\data\GPL-2.txt"
  RMDir "$INSTDIR\data"
  Delete "$INSTDIR\licences\Allegro.txt"
  Delete "$INSTDIR\licences\Chipmunk.txt"
  Delete "$INSTDIR\licences\FreeType.txt"
  RMDir "$INSTDIR\licences"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
