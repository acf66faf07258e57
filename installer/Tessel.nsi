; The installers of Tessel and the Nevkit library, made by tools/release.sh:
;
;   makensis -INPUTCHARSET UTF8 -DARCH=x64|x86 -DVERSION=1.2.3.4 -DPUBLISHER=<company>
;            -DSTAGE=<folder> -DOUTFILE=<setup.exe> Tessel.nsi
;
; STAGE holds the stripped binaries in x64\ and x86\, README-ru.txt, LICENSE.txt, docs\reference.md,
; samples\ and, for the x64
; installer, register32.nsh / unregister32.nsh (written by regdata from the servers' own
; registration). Per-machine install into Program Files.
;
; x64: the 64-bit program and servers in $INSTDIR, registered by their own DllRegisterServer;
;      the 32-bit servers in $INSTDIR\x86, whose registration the installer writes in the 32-bit
;      registry view (a 64-bit process cannot load them), so 32-bit clients create the classes too.
; x86: the 32-bit set on 32-bit Windows; on 64-bit Windows it refuses and names the x64 installer.

Unicode true
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!if "${ARCH}" == "x64"
  Target amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
!else if "${ARCH}" == "x86"
  Target x86-unicode
  !define PROGRAM_FILES "$PROGRAMFILES"
!else
  !error "ARCH must be x64 or x86"
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh

!define PRODUCT "Tessel"
!define MENU_KEY "NevkitTessel"
!define MENU_TEXT "Потоки NTFS"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\NevkitTessel"
; Written by the program itself when it starts (the current user's entry).
!define APP_PATH_KEY "Software\Microsoft\Windows\CurrentVersion\App Paths\Tessel.exe"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\${PUBLISHER}\${PRODUCT}"
; Installing again goes into the folder of the installed copy (/D= still chooses another).
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "LegalCopyright" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileDescription" "Установка ${PRODUCT} ${VERSION} (${ARCH})"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductVersion" "${VERSION}"

; The servers and the support library: one list for installing and removing (FOLDER ends in
; its separator).
!macro ServerFiles ACTION FOLDER
  ${ACTION} "${FOLDER}Kelmor0200.dll"
  ${ACTION} "${FOLDER}Derodor.dll"
  ${ACTION} "${FOLDER}NevkitSupport0100.dll"
  ${ACTION} "${FOLDER}Sarvik.dll"
!macroend

; The samples for script authors (in samples\).
!macro SampleFiles ACTION FOLDER
  ${ACTION} "${FOLDER}README.md"
  ${ACTION} "${FOLDER}StreamReport.vbs"
  ${ACTION} "${FOLDER}ListStreams.vbs"
  ${ACTION} "${FOLDER}ListStreams.js"
  ${ACTION} "${FOLDER}FindFiles.vbs"
  ${ACTION} "${FOLDER}Settings.vbs"
  ${ACTION} "${FOLDER}PictureInfo.vbs"
  ${ACTION} "${FOLDER}BenchMark.vbs"
  ${ACTION} "${FOLDER}ListFile.vbs"
!macroend

; A failed step ends the installation (exit code 2 in silent mode).
!macro FailOnErrors TEXT
  ${If} ${Errors}
    MessageBox MB_ICONSTOP "${TEXT}" /SD IDOK
    Abort "${TEXT}"
  ${EndIf}
!macroend

Function .onInit
!if "${ARCH}" == "x86"
  ${If} ${RunningX64}
    MessageBox MB_ICONSTOP "Эта программа установки предназначена для 32-разрядной Windows.$\r$\n$\r$\nДля 64-разрядной Windows используйте Tessel-${VERSION}-x64-setup.exe: она устанавливает и 64-разрядные, и 32-разрядные компоненты." /SD IDOK
    Abort
  ${EndIf}
!endif
  SetShellVarContext all
FunctionEnd

Section "${PRODUCT}"
  SectionIn RO
!if "${ARCH}" == "x64"
  SetRegView 64
!endif

  SetOutPath "$INSTDIR"
  ClearErrors
  File "${STAGE}/${ARCH}/Tessel.exe"
  !insertmacro ServerFiles File "${STAGE}/${ARCH}/"
  File "${STAGE}/README-ru.txt"
  File "${STAGE}/LICENSE.txt"
  SetOutPath "$INSTDIR\docs"
  File "${STAGE}/docs/reference.md"
  SetOutPath "$INSTDIR\samples"
  !insertmacro SampleFiles File "${STAGE}/samples/"
!if "${ARCH}" == "x64"
  SetOutPath "$INSTDIR\x86"
  !insertmacro ServerFiles File "${STAGE}/x86/"
  SetOutPath "$INSTDIR"
!endif
  WriteUninstaller "$INSTDIR\uninstall.exe"
  !insertmacro FailOnErrors "Не удалось записать файлы в $INSTDIR."

  ; The entry in the list of installed programs comes first, so that a failed installation can
  ; still be removed from there.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tessel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

!if "${ARCH}" == "x64"
  ; The 32-bit servers' data first: the type library's key is shared by both views, and the
  ; 64-bit server's registration after it leaves its own folder as the help folder.
  SetRegView 32
  ClearErrors
  !include "${STAGE}/register32.nsh"
  SetRegView 64
  !insertmacro FailOnErrors "Не удалось зарегистрировать 32-разрядные компоненты."
!endif
  ClearErrors
  RegDLL "$INSTDIR\Kelmor0200.dll"
  !insertmacro FailOnErrors "Не удалось зарегистрировать $INSTDIR\Kelmor0200.dll."
  RegDLL "$INSTDIR\Derodor.dll"
  !insertmacro FailOnErrors "Не удалось зарегистрировать $INSTDIR\Derodor.dll."

  ; "Потоки NTFS" in the context menu of files and folders, in Send To and in the Start menu.
  ClearErrors
  WriteRegStr HKCR "*\shell\${MENU_KEY}" "" "${MENU_TEXT}"
  WriteRegStr HKCR "*\shell\${MENU_KEY}" "Icon" "$INSTDIR\Tessel.exe"
  WriteRegStr HKCR "*\shell\${MENU_KEY}\command" "" '"$INSTDIR\Tessel.exe" "%1"'
  WriteRegStr HKCR "Directory\shell\${MENU_KEY}" "" "${MENU_TEXT}"
  WriteRegStr HKCR "Directory\shell\${MENU_KEY}" "Icon" "$INSTDIR\Tessel.exe"
  WriteRegStr HKCR "Directory\shell\${MENU_KEY}\command" "" '"$INSTDIR\Tessel.exe" "%1"'
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Tessel.exe"
  ; Send To exists per user only: the installing user's.
  CreateShortcut "$SENDTO\${MENU_TEXT}.lnk" "$INSTDIR\Tessel.exe"
  !insertmacro FailOnErrors "Не удалось создать пункты меню."
SectionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

; Sets $R0 to FILE when a running program holds it (Tessel, or a client that loaded a server):
; a program's or a loaded DLL's file cannot be opened for writing. A missing file is free (the
; check creates nothing).
!macro FindFileInUse FILE
  ${If} $R0 == ""
  ${AndIf} ${FileExists} "${FILE}"
    ClearErrors
    FileOpen $R1 "${FILE}" a
    ${If} ${Errors}
      StrCpy $R0 "${FILE}"
    ${Else}
      FileClose $R1
    ${EndIf}
  ${EndIf}
!macroend

; $R0: the first installed program file that is in use, or "".
Function un.FindFileInUse
  StrCpy $R0 ""
  !insertmacro FindFileInUse "$INSTDIR\Tessel.exe"
  !insertmacro ServerFiles "!insertmacro FindFileInUse" "$INSTDIR\"
!if "${ARCH}" == "x64"
  !insertmacro ServerFiles "!insertmacro FindFileInUse" "$INSTDIR\x86\"
!endif
FunctionEnd

Section "Uninstall"
  ; Nothing is changed while a program holds one of the files: removing the rest would leave
  ; those files unregistered, with no entry left to remove them. The user closes the program and
  ; tries again, or cancels; a silent uninstallation ends with exit code 2 and changes nothing.
  ${Do}
    Call un.FindFileInUse
    ${If} $R0 == ""
      ${Break}
    ${EndIf}
    ${If} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Файл $R0 используется запущенной программой.$\r$\n$\r$\nЗакройте Tessel и программы, которые используют его библиотеки, и нажмите «Повторить». «Отмена» оставит программу установленной." /SD IDCANCEL IDCANCEL`
      Abort "Удаление отменено: файл $R0 используется."
    ${EndIf}
  ${Loop}

!if "${ARCH}" == "x64"
  SetRegView 64
!endif
  ; The servers remove their own registration while their files are still there.
  UnRegDLL "$INSTDIR\Kelmor0200.dll"
  UnRegDLL "$INSTDIR\Derodor.dll"
!if "${ARCH}" == "x64"
  SetRegView 32
  !include "${STAGE}/unregister32.nsh"
  SetRegView 64
!endif

  DeleteRegKey HKCR "*\shell\${MENU_KEY}"
  DeleteRegKey HKCR "Directory\shell\${MENU_KEY}"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$SENDTO\${MENU_TEXT}.lnk"
  ; The program's own App Paths entry, when it names this copy.
  ReadRegStr $0 HKCU "${APP_PATH_KEY}" ""
  ${If} $0 == "$INSTDIR\Tessel.exe"
    DeleteRegKey HKCU "${APP_PATH_KEY}"
  ${EndIf}

  ; Only what the installer put there: files a user added (Tessel.ini) stay, with their folder.
  Delete "$INSTDIR\Tessel.exe"
  !insertmacro ServerFiles Delete "$INSTDIR\"
  Delete "$INSTDIR\README-ru.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\docs\reference.md"
  RMDir "$INSTDIR\docs"
  !insertmacro SampleFiles Delete "$INSTDIR\samples\"
  RMDir "$INSTDIR\samples"
!if "${ARCH}" == "x64"
  !insertmacro ServerFiles Delete "$INSTDIR\x86\"
  RMDir "$INSTDIR\x86"
!endif
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; The publisher's folder of the default place, once empty.
  RMDir "${PROGRAM_FILES}\${PUBLISHER}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
