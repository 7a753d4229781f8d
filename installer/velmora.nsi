; Velmora's setup program. It puts Velmora.scr and Velmora.dll side by side in
; the system folder, the only place where the Screen Saver Settings list keeps
; finding a saver, offers to make Velmora the current saver, and registers an
; uninstaller that lives in a folder of its own under the 32-bit Program Files.
;
; Built by the win32 build (installer/CMakeLists.txt), which defines VERSION,
; PUBLISHER, COPYRIGHT, SCR and DLL (the two programs, dated at the commit's
; time, so that two builds give the same bytes) and OUTFILE; NODATES when it
; knows no such time.

Unicode true
Target x86-unicode
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include nsDialogs.nsh

!macro Require name
  !ifndef ${name}
    !error "${name} is not defined: the setup program is built by the win32 build"
  !endif
!macroend
!insertmacro Require VERSION
!insertmacro Require PUBLISHER
!insertmacro Require COPYRIGHT
!insertmacro Require SCR
!insertmacro Require DLL
!insertmacro Require OUTFILE

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATEINIFILE_SENDCHANGE 3

Name "Velmora"
OutFile "${OUTFILE}"
; The uninstaller's folder; the programs themselves go to $SYSDIR.
InstallDir "$PROGRAMFILES32\Velmora"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show
BrandingText "Velmora ${VERSION}"

; $SaverFolder: the folder of Velmora.scr and Velmora.dll as a 64-bit process
; names it: SysWOW64 on 64-bit Windows, System32 on 32-bit Windows. Windows starts the saver, and
; Programs and Features the uninstaller, from 64-bit code, where $SYSDIR
; (System32) would be the 64-bit folder.
Var SaverFolder
Var MakeCurrent     ; 1: make Velmora the current saver (the default, also with /S)
Var MakeCurrentBox

!define MUI_ICON "${__FILEDIR__}/../assets/program_icon.ico"
!define MUI_UNICON "${__FILEDIR__}/../assets/program_icon.ico"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
Page custom MakeCurrentPage MakeCurrentPageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "$(UninstallText)"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one for users whose language is neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LangString NeedAdmin ${LANG_ENGLISH} "Velmora is installed into the Windows system folder, which needs administrator rights. Please run Setup as an administrator."
LangString NeedAdmin ${LANG_JAPANESE} "Velmora は Windows のシステム フォルダにインストールされるため、管理者の権限が必要です。管理者としてセットアップを実行してください。"
LangString SaverTitle ${LANG_ENGLISH} "Screen Saver"
LangString SaverTitle ${LANG_JAPANESE} "スクリーン セーバー"
LangString SaverSubtitle ${LANG_ENGLISH} "Choose whether Velmora starts when the computer is idle."
LangString SaverSubtitle ${LANG_JAPANESE} "コンピュータを使っていないときに Velmora を表示するかどうかを選んでください。"
LangString SaverText ${LANG_ENGLISH} "Velmora is installed into the Windows system folder, so it appears in the Screen Saver Settings list. You can choose another screen saver there at any time."
LangString SaverText ${LANG_JAPANESE} "Velmora は Windows のシステム フォルダにインストールされ、[スクリーン セーバーの設定] の一覧に表示されます。いつでもそこで別のスクリーン セーバーを選べます。"
LangString SaverCheck ${LANG_ENGLISH} "&Make Velmora the current screen saver"
LangString SaverCheck ${LANG_JAPANESE} "Velmora を現在のスクリーン セーバーにする(&M)"

LangString UninstallText ${LANG_ENGLISH} "Velmora will be removed from the Windows system folder, and this uninstaller from the folder below. Your saved music settings are kept. Click Uninstall to start."
LangString UninstallText ${LANG_JAPANESE} "Velmora を Windows のシステム フォルダから、このアンインストーラを下のフォルダから削除します。保存した BGM の設定は残ります。「アンインストール」をクリックして開始します。"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Velmora"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Velmora Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${COPYRIGHT}"

; What the installer and the uninstaller both do first: refuse to go on
; without administrator rights (a standard account where UAC is off cannot
; write the system folder), choose the registry view, find $SaverFolder.
!macro Prepare
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_OK|MB_ICONSTOP "$(NeedAdmin)" /SD IDOK
    SetErrorLevel 740  ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
  SetRegView 32
  ; It fails on 32-bit Windows, where there is no SysWOW64.
  System::Call 'kernel32::GetSystemWow64DirectoryW(w .r0, i ${NSIS_MAX_STRLEN}) i .r1'
  ${If} $1 = 0
    StrCpy $0 $SYSDIR
  ${EndIf}
  StrCpy $SaverFolder $0
!macroend

Function .onInit
  !insertmacro Prepare
  StrCpy $MakeCurrent ${BST_CHECKED}
FunctionEnd

Function un.onInit
  !insertmacro Prepare
FunctionEnd

Function MakeCurrentPage
  !insertmacro MUI_HEADER_TEXT "$(SaverTitle)" "$(SaverSubtitle)"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 36u "$(SaverText)"
  Pop $0
  ${NSD_CreateCheckbox} 0 44u 100% 12u "$(SaverCheck)"
  Pop $MakeCurrentBox
  ${NSD_SetState} $MakeCurrentBox $MakeCurrent
  nsDialogs::Show
FunctionEnd

Function MakeCurrentPageLeave
  ${NSD_GetState} $MakeCurrentBox $MakeCurrent
FunctionEnd

; Puts one program into $SYSDIR, over an earlier version. A running copy (the
; saver in the preview pane, its settings dialog) holds its file, which then
; cannot be opened for writing, only renamed: it is moved aside and goes at the
; next restart. (One File command per program, so that SectionGetSize is the
; programs' size.)
!macro InstallProgram name source
  ${If} ${FileExists} "$SYSDIR\${name}"
    ClearErrors
    FileOpen $0 "$SYSDIR\${name}" a
    ${If} ${Errors}
      Delete "$SYSDIR\${name}.old"
      Rename "$SYSDIR\${name}" "$SYSDIR\${name}.old"
      Delete /REBOOTOK "$SYSDIR\${name}.old"
    ${Else}
      FileClose $0
    ${EndIf}
  ${EndIf}
  File /oname=${name} "${source}"
!macroend

Section "Velmora" SectionPrograms
  SectionIn RO
  !ifdef NODATES
    SetDateSave off
  !endif
  SetOutPath $SYSDIR
  !insertmacro InstallProgram Velmora.scr "${SCR}"
  !insertmacro InstallProgram Velmora.dll "${DLL}"

  SetOutPath $INSTDIR
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ${If} $MakeCurrent == ${BST_CHECKED}
    WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SaverFolder\Velmora.scr"
    WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
    ; Tells the running session too, not only the next logon.
    System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATEINIFILE_SENDCHANGE})'
  ${EndIf}

  SectionGetSize ${SectionPrograms} $0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Velmora"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SaverFolder\Velmora.scr,0"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  ; Only our own launcher is taken out of the saver setting, so that Windows
  ; falls back to no saver rather than a missing file. Both folder names and
  ; the file name fit 8.3, so a short form stored by older Windows differs in
  ; case only, which StrCmp ignores.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $0 == "$SaverFolder\Velmora.scr"
  ${OrIf} $0 == "$SYSDIR\Velmora.scr"
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${EndIf}

  ; A saver shown in the preview pane holds its file open: then it goes at
  ; the next restart. Velmora.ini beside them holds the user's saved music
  ; settings and stays, as do its per-user copies in the VirtualStore.
  Delete /REBOOTOK "$SYSDIR\Velmora.scr"
  Delete /REBOOTOK "$SYSDIR\Velmora.dll"
  Delete /REBOOTOK "$SYSDIR\Velmora.scr.old"
  Delete /REBOOTOK "$SYSDIR\Velmora.dll.old"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
