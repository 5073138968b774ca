# windows_dist.cmake -- `make windows` packs dist/ambler-windows-x64.zip:
# the two programs, the checker, the four demo scenes and a README.txt.
set(AMBLER_ZIP ${CMAKE_SOURCE_DIR}/dist/ambler-windows-x64.zip)
add_custom_target(windows-zip
  COMMAND ${CMAKE_COMMAND} -E env AMBLER_BIN=${CMAKE_BINARY_DIR}/bin
          bash ${CMAKE_SOURCE_DIR}/tools/windows-zip.sh ${AMBLER_ZIP}
  DEPENDS ambler ambler-keep-side-key-mode ambler-check
  COMMENT "Packing ${AMBLER_ZIP}"
  VERBATIM)
