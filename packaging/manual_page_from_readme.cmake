# Makes a manual page from a README in Markdown: the NAME and DESCRIPTION
# headings of HEADING, then the README without its title line, set by lowdown.
#   cmake -DHEADING=... -DREADME=... -DTITLE=... -DLOWDOWN=... -DOUT=page.1 -P manual_page_from_readme.cmake
file(READ ${HEADING} heading)
file(READ ${README} readme)
string(REGEX REPLACE "^# [^\n]*\n" "" body "${readme}")
file(WRITE ${OUT}.md "${heading}${body}")
execute_process(
  COMMAND ${LOWDOWN} -s -Tman -m "title: ${TITLE}" -m "section: 1" -o ${OUT} ${OUT}.md
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "lowdown could not make ${OUT} from ${README}: ${status}")
endif()
