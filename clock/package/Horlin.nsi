; The per-user installer of the clock, made by scripts/package.sh:
;   makensis -DVERSION=1.0 -DARCH=win32|win64 -DSTAGE=<folder with the files> -DSKINS=<skins.nsh>
;            -DOUTFILE=<setup.exe> Horlin.nsi
; SKINS lists the bundled skins, one "!insertmacro SKIN name" line each.
; Installs into the user's own programs folder without administrator rights
; (the clock writes KL_Env.cfg beside itself), with a Start menu shortcut, an
; optional shortcut in the Startup folder and an entry in the user's list of
; installed programs. /S installs or uninstalls silently.
Unicode true
!if "${ARCH}" == "win64"
  Target amd64-unicode
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Horlin"
Name "Horlin ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Horlin"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Horlin Project"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "Horlin"
VIAddVersionKey "FileDescription" "Horlin ${VERSION} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "Horlin Project"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2026 Horlin Project. All rights reserved."

; The files of one bundled skin, installed or removed.
!macro SKIN name
  !ifdef INSTALLING
    SetOutPath "$INSTDIR\skins\${name}"
    File "${STAGE}\skins\${name}\KL_Face.bmp"
    File "${STAGE}\skins\${name}\KL_Figs.dat"
    File "${STAGE}\skins\${name}\KL_Face@*x.bmp"
    File "${STAGE}\skins\${name}\KL_Figs@*x.dat"
    File "${STAGE}\skins\${name}\preview.png"
  !else
    Delete "$INSTDIR\skins\${name}\KL_Face.bmp"
    Delete "$INSTDIR\skins\${name}\KL_Figs.dat"
    Delete "$INSTDIR\skins\${name}\KL_Face@*x.bmp"
    Delete "$INSTDIR\skins\${name}\KL_Figs@*x.dat"
    Delete "$INSTDIR\skins\${name}\preview.png"
    RMDir "$INSTDIR\skins\${name}"
  !endif
!macroend

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetShellVarContext current
FunctionEnd
Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Horlin" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  ; A running clock holds its files; it saves its settings when it is closed.
  File "${STAGE}\Horlin.exe"
  File "${STAGE}\pixolan.dll"
  File "${STAGE}\KL_Face.bmp"
  File "${STAGE}\KL_Figs.dat"
  File "${STAGE}\KL_Face@*x.bmp"
  File "${STAGE}\KL_Figs@*x.dat"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  File "${STAGE}\horlin-skin.exe"
  !define INSTALLING
  !include "${SKINS}"
  !undef INSTALLING
  SetOutPath "$INSTDIR"
  ; KL_Env.cfg is the user's and is never shipped, so an upgrade keeps it.
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ; The shortcut's working folder is the one current at its creation: the
  ; clock opens its data files by bare name.
  CreateShortCut "$SMPROGRAMS\Horlin.lnk" "$INSTDIR\Horlin.exe" "" "$INSTDIR\Horlin.exe" 0
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Horlin ${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Horlin Project"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Horlin.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Start with Windows" SecStartup
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMSTARTUP\Horlin.lnk" "$INSTDIR\Horlin.exe" "" "$INSTDIR\Horlin.exe" 0
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\Horlin.lnk"
  Delete "$SMSTARTUP\Horlin.lnk"
  Delete "$INSTDIR\Horlin.exe"
  Delete "$INSTDIR\pixolan.dll"
  Delete "$INSTDIR\KL_Face.bmp"
  Delete "$INSTDIR\KL_Figs.dat"
  Delete "$INSTDIR\KL_Face@*x.bmp"
  Delete "$INSTDIR\KL_Figs@*x.dat"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\horlin-skin.exe"
  !include "${SKINS}"
  RMDir "$INSTDIR\skins"
  ; The settings byte the clock wrote goes with it.
  Delete "$INSTDIR\KL_Env.cfg"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
