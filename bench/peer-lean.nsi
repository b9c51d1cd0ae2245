; The benchmark's lean peer: the work of bench/peer.nsi (bench/peer-work.nsh) with NSIS's
; plain pages instead of Modern UI and no plug-in, so a silent run unpacks and loads
; nothing besides the payload. The install date is the day the peer was built, which the
; benchmark does just before it installs (scripts/benchmark.sh). Built and run as
; bench/peer.nsi is.

!include "peer-work.nsh"

!define /date BUILD_DATE "%Y%m%d"
Page directory
Page instfiles

Section
    !insertmacro PEER_WORK "${BUILD_DATE}"
SectionEnd
