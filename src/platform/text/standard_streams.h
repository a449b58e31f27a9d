#pragma once

namespace tallomar {

// Makes the standard output and error streams carry the bytes the program
// writes, UTF-8 text with LF line ends, unchanged on every system: on
// Windows the C runtime would write CR LF for each LF, and a console would
// show UTF-8 as its own code page (the console's code page is given back
// when the program ends). Called first thing in a program's main().
void useUtf8StandardStreams();

}  // namespace tallomar
