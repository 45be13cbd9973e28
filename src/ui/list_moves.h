// The keys that move the selection of a list: whichever list of the program
// has the focus, Home, End, Up, Down, Page Up and Page Down select the line
// they land on, so that the line drawn marked is always the line Enter acts on.
#pragma once

namespace vt {

enum class ListMove { kHome, kEnd, kUp, kDown, kPageUp, kPageDown };

// The line `move` lands on in a list of `count` lines with line `selected`
// selected (-1: none), `pageRows` lines showing at a time. With no line
// selected, End lands on the last line and every other move on the first.
// -1 when the list is empty.
int landingLine(ListMove move, int selected, int count, int pageRows);

}  // namespace vt
