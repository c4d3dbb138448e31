# QR encoding beside libqrencode, linked in-process, on the same texts.
find_package(PkgConfig REQUIRED)
pkg_check_modules(QRENCODE REQUIRED IMPORTED_TARGET libqrencode)
quiverleaf_bench(codes_qr LIBS quiverleaf_codes PkgConfig::QRENCODE)
