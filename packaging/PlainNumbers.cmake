# SPDX-License-Identifier: GPL-3.0-or-later
# help2man takes every word that starts with a hyphen for an option and sets it in bold, so the
# negative latitude of an example, -33.8675, came out as a bold "-33" and a plain ".8675". A
# number is no option: this sets them back in the plain font.
#   cmake -DPAGE=program.1 -P PlainNumbers.cmake
file(READ ${PAGE} page)
string(REGEX REPLACE "\\\\fB\\\\-([0-9][0-9]*)\\\\fR" "\\\\-\\1" page "${page}")
file(WRITE ${PAGE} "${page}")
