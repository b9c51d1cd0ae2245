; The benchmark's typical peer: an NSIS 3 installer with a Modern UI 2 wizard that does the
; work of a silent Server install of tidykiosk_filter_v3.exe, from the same payload folder,
; so the two can be timed side by side (scripts/benchmark.sh). It is built with Debian's
; makensis:
;   makensis -DTARGET=x86-unicode|amd64-unicode -DFILES=files.nsh -DPAYLOAD=FOLDER
;            -DOUTFILE=peer.exe bench/peer.nsi
; FILES is written by bench/peer-files.sh from the payload folder: one File line per
; payload file, under the SetOutPath of its folder. The work itself is in
; bench/peer-work.nsh; this peer reads the install date at run time with the System
; plug-in. bench/peer-lean.nsi is the same work without the wizard or the plug-in.
;   peer.exe /S /D=C:\folder     silent, like "-silent 0 C:\folder"
;   peer.exe                     the wizard (its first page is what the benchmark times)

!include "peer-work.nsh"

!include "MUI2.nsh"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${PAYLOAD}\tidykiosk_agreement.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_LANGUAGE "English"

Section
    System::Call '*(&i2, &i2, &i2, &i2, &i2, &i2, &i2, &i2) p .r4'
    System::Call 'kernel32::GetLocalTime(p r4)'
    System::Call '*$4(&i2 .r5, &i2 .r6, &i2, &i2 .r7)'
    System::Free $4
    IntFmt $6 "%02u" $6
    IntFmt $7 "%02u" $7
    !insertmacro PEER_WORK "$5$6$7"
SectionEnd
