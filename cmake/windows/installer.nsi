; The Windows installer of Tallomar (makensis, from scripts/build-windows).
; Defines: VERSION, STAGE (the installed layout: bin\, share\tallomar\examples\,
; licenses\), FILES (an include listing what STAGE holds, for the uninstaller)
; and OUTFILE. "setup.exe /S" installs without asking; "/D=FOLDER" (last on
; the command line) chooses the folder.
; A 64-bit installer for the 64-bit programs, in Unicode.
Target amd64-unicode
; zlib: a few MB more than LZMA, made in seconds rather than most of a minute.
SetCompressor /SOLID zlib
!include "MUI2.nsh"

!define PRODUCT "Tallomar"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tallomar"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ManifestDPIAware true

!insertmacro MUI_PAGE_LICENSE "${STAGE}\licenses\tallomar.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

Section "Tallomar"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Tallomar.lnk" "$INSTDIR\bin\tallomar.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Tallomar 演示包.lnk" "$INSTDIR\bin\tallomar.exe" "--demo"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Tallomar 参数编辑.lnk" "$INSTDIR\bin\tallomar-params.exe" \
    '"$INSTDIR\share\tallomar\examples\params\package-list.ini"'
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\卸载 Tallomar.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Tallomar developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\bin\tallomar.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes what the installer put there and nothing else: a folder the
; operator chose may hold other files.
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}\Tallomar.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Tallomar 演示包.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Tallomar 参数编辑.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\卸载 Tallomar.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  !include "${FILES}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
