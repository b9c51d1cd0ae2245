; What both benchmark peers (bench/peer.nsi, bench/peer-lean.nsi) share: the installer's
; settings and the work of a silent Server install, as the macro PEER_WORK, which takes
; the install date (YYYYMMDD) for the Uninstall entry.

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

!macro PEER_WORK INSTALL_DATE
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

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "tidyKiosk Firewall"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" "$INSTDIR\Uninstall.exe -uninstall -s"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\fltsrv.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "3.3"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${WEB_SITE}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "URLUpdateInfo" "${WEB_SITE}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallDate" "${INSTALL_DATE}"
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
!macroend
