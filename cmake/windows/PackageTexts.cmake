# The texts a Windows release package carries beside the DLLs, written
# with Windows line ends (CR LF) into <build>/packaging and listed in
# VARNELO_WINDOWS_PACKAGE_TEXTS:
#   README-Windows.txt       for the VJ: which hosts load the plug-ins,
#                            installing, first steps, a plug-in that fails
#                            to load
#   THIRD-PARTY-NOTICES.txt  the code of others inside the DLLs: copyright,
#                            licence, where its source is; with liblo
#                            inside (VARNELO_LIBLO_IS_STATIC) also liblo's
#                            version and the LGPL's full text
#   LIBLO.txt                only for DLLs that need liblo-7.dll: where
#                            it must go
# From packaging/ in the source tree.
set(varnelo_texts ${PROJECT_SOURCE_DIR}/packaging)
set(varnelo_texts_out ${PROJECT_BINARY_DIR}/packaging)

# varnelo_read_text(<variable> <file>): the file's text, read again when it
# changes.
function(varnelo_read_text variable file)
  file(READ ${file} text)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
  set(${variable} "${text}" PARENT_SCOPE)
endfunction()

if(VARNELO_LIBLO_IS_STATIC)
  varnelo_read_text(liblo_notice ${varnelo_texts}/notices/liblo-inside.txt.in)
  string(CONFIGURE "${liblo_notice}" VARNELO_NOTICE_LIBLO @ONLY)
  varnelo_read_text(lgpl ${varnelo_texts}/LGPL-2.1.txt)
  string(CONCAT VARNELO_NOTICE_LICENCE_TEXTS
    "\n\nThe GNU Lesser General Public License, version 2.1 (liblo's licence)\n"
    "--------------------------------------------------------------------\n\n" "${lgpl}")
  set(VARNELO_README_LIBLO
      "Nothing else to install: liblo, the library that sends the OSC\nmessages, is inside each DLL.")
  set(VARNELO_README_ERROR_126
      "These plug-ins need only DLLs\n  that come with every 64-bit Windows (OPENGL32, WS2_32, IPHLPAPI,\n  KERNEL32, msvcrt), so a 126 for them is not expected: unzip them again\n  and check that the .dll files are the ones from this zip.")
else()
  varnelo_read_text(VARNELO_NOTICE_LIBLO ${varnelo_texts}/notices/liblo-beside.txt)
  set(VARNELO_NOTICE_LICENCE_TEXTS "")
  set(VARNELO_README_LIBLO
      "These plug-ins need liblo-7.dll, which is not in this zip: LIBLO.txt says\nwhere to put it. Without it the host cannot load them.")
  set(VARNELO_README_ERROR_126
      "For these plug-ins it is\n  liblo-7.dll or a DLL that it needs in turn: see LIBLO.txt.")
endif()

# varnelo_windows_text(<name> <source>): <source> with its @VARIABLES@
# filled in, written as <build>/packaging/<name> with CR LF line ends
# throughout (configure_file's NEWLINE_STYLE leaves the line ends of
# filled-in values alone).
set(VARNELO_WINDOWS_PACKAGE_TEXTS "")
function(varnelo_windows_text name source)
  varnelo_read_text(text ${source})
  string(CONFIGURE "${text}" text @ONLY)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${varnelo_texts_out}/${name}.new "${text}")
  file(COPY_FILE ${varnelo_texts_out}/${name}.new ${varnelo_texts_out}/${name} ONLY_IF_DIFFERENT)
  file(REMOVE ${varnelo_texts_out}/${name}.new)
  list(APPEND VARNELO_WINDOWS_PACKAGE_TEXTS ${varnelo_texts_out}/${name})
  set(VARNELO_WINDOWS_PACKAGE_TEXTS ${VARNELO_WINDOWS_PACKAGE_TEXTS} PARENT_SCOPE)
endfunction()

varnelo_windows_text(README-Windows.txt ${varnelo_texts}/README-Windows.txt.in)
varnelo_windows_text(THIRD-PARTY-NOTICES.txt ${varnelo_texts}/THIRD-PARTY-NOTICES.txt.in)
if(NOT VARNELO_LIBLO_IS_STATIC)
  varnelo_windows_text(LIBLO.txt ${varnelo_texts}/LIBLO.txt)
endif()
