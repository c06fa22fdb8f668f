; The Tempyra installer for Windows: a per-user installation that needs no
; administrator rights, into %LOCALAPPDATA%\Programs\Tempyra by default.
; It installs the programs, the help documents and the licence, a Start
; menu entry, and the entry of "Apps" / "Add or remove programs" under
; HKCU; its uninstaller removes exactly these again, and the folder when
; nothing else is left in it.
;
; Built by CMake (packaging/windows/CMakeLists.txt) with makensis, which
; passes:
;   VERSION       the version, as the programs tell it (1.02)
;   VERSION_QUAD  the same as four numbers (1.2.0.0)
;   YEAR          the year of the release
;   TARGET        amd64-unicode (a 64-bit installer of the 64-bit programs)
;                 or x86-unicode (the 32-bit ones)
;   ARCH          win64 or win32
;   FILES         an include file with the macros TempyraInstallFiles and
;                 TempyraRemoveFiles over the installed files
;   ICON          the program's icon
;   PICTURE       the picture of the last page (164 x 314 pixels)
;   LICENCE       the licence agreement as text
;   OUTFILE       the installer to write

Unicode true
Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!define PUBLISHER "The Tempyra developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tempyra"
!define SHORTCUT "$SMPROGRAMS\Tempyra.lnk"
!define UNINSTALLER "uninstall.exe"

Name "Tempyra"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tempyra"
; A new version goes where the last one was installed.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Tempyra ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${PICTURE}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_LICENSE "${LICENCE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\tempyra.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Tempyra"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright ${YEAR} ${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Tempyra ${VERSION} setup (${ARCH})"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "OriginalFilename" "tempyra-${VERSION}-${ARCH}-setup.exe"

!include "${FILES}"

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Tempyra"
  SectionIn RO
  SetOutPath "$INSTDIR"
  !insertmacro TempyraInstallFiles
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\tempyra.exe" "" "$INSTDIR\tempyra.exe" 0 \
    SW_SHOWNORMAL "" "Tempo (BPM) of MP3 files"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tempyra"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tempyra.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ; The size of what was installed, in KiB.
  ${GetSize} "$INSTDIR" "/M=* /S=0K /G=0" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  !insertmacro TempyraRemoveFiles
  Delete "$INSTDIR\${UNINSTALLER}"
  ; The Start menu entry and the registration are those of the installation
  ; the key names: another copy installed elsewhere keeps them.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == ""
  ${OrIf} $0 == $INSTDIR
    Delete "${SHORTCUT}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${EndIf}
  ; Only when empty: files the user put there stay, and so does the folder.
  RMDir "$INSTDIR"
SectionEnd
