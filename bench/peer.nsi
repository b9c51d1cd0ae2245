; The benchmark's peer: an NSIS 3 installer that does the work of a silent Server install
; of tidykiosk_filter_v3.exe, from the same payload folder, so the two can be timed side by
; side (scripts/benchmark.sh). It is built with Debian's makensis:
;   makensis -DTARGET=x86-unicode|amd64-unicode -DFILES=files.nsh -DPAYLOAD=FOLDER
;            -DOUTFILE=peer.exe bench/peer.nsi
; FILES is written by bench/peer-files.sh from the payload folder: one File line per
; payload file, under the SetOutPath of its folder.
;   peer.exe /S /D=C:\folder     silent, like "-silent 0 C:\folder"
;   peer.exe                     the wizard (its first page is what the benchmark times)

Unicode true
Target ${TARGET}
SetCompressor zlib
RequestExecutionLevel admin
ManifestSupportedOS all

!define PRODUCT "tidyKiosk Filter Server"
!define VENDOR_KEY "Software\VornSoft\FltLogServer"
!define RUN_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define PUBLISHER "Vorn Software"
!define WEB_SITE "http://www.tidykiosk.example/"

Name "tidyKiosk Filter v3"
Caption "tidyKiosk Filter v3 Installation"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\tidyKiosk\Filter Server"

!include "MUI2.nsh"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${PAYLOAD}\tidykiosk_agreement.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_LANGUAGE "English"

Section
    ; The fifteen payload files at their relative paths.
    !include "${FILES}"

    ; The language setting, in the shared data folder; the install folder gets the
    ; settings folder too.
    ReadEnvStr $0 ALLUSERSPROFILE
    StrCpy $1 "$0\tidyKiosk\FServer\"
    CreateDirectory "$1datax"
    CreateDirectory "$INSTDIR\datax"
    WriteINIStr "$1datax\data.ini" "Settings" "Lang" "english.lng"

    ; The provider install helper, started and not waited for.
    GetFullPathName /SHORT $2 "$INSTDIR\plugin\_kfilter.dll"
    GetFullPathName /SHORT $3 "$INSTDIR\_fltw.exe"
    Exec '"$3" $HWNDPARENT $2 IY'

    ; Desktop and start-menu shortcuts for all users; the working folder is the install
    ; folder (the current output path).
    SetOutPath "$INSTDIR"
    SetShellVarContext all
    CreateShortCut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\fltsrv.exe"
    CreateDirectory "$SMPROGRAMS\tidyKiosk"
    CreateShortCut "$SMPROGRAMS\tidyKiosk\${PRODUCT}.lnk" "$INSTDIR\fltsrv.exe"

    ; Vendor keys in both hives, the start-up value, the Uninstall entry.
    WriteRegStr HKCU "${VENDOR_KEY}" "Path" "$INSTDIR\"
    WriteRegStr HKCU "${VENDOR_KEY}" "Version" "3.3.33 en"
    DeleteRegValue HKCU "${RUN_KEY}" "fltsrv"
    WriteRegStr HKLM "${VENDOR_KEY}" "Path" "$INSTDIR\"
    WriteRegStr HKLM "${VENDOR_KEY}" "Version" "3.3.33 en"
    WriteRegStr HKLM "${RUN_KEY}" "fltsrv" "$INSTDIR\fltsrv.exe -h"

    System::Call '*(&i2, &i2, &i2, &i2, &i2, &i2, &i2, &i2) p .r4'
    System::Call 'kernel32::GetLocalTime(p r4)'
    System::Call '*$4(&i2 .r5, &i2 .r6, &i2, &i2 .r7)'
    System::Free $4
    IntFmt $6 "%02u" $6
    IntFmt $7 "%02u" $7

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "tidyKiosk Firewall"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" "$INSTDIR\Uninstall.exe -uninstall -s"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\fltsrv.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "3.3"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${WEB_SITE}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "URLUpdateInfo" "${WEB_SITE}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallDate" "$5$6$7"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR\"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallSource" "$EXEDIR\"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Comments" "Web filter for internet cafes: the cashier computer"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "RegOwner" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "RegCompany" "${PUBLISHER}"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "Version" 3
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMajor" 3
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMinor" 3
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" 15250
SectionEnd
