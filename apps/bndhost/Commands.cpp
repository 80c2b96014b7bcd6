// bndhost's command table and its help.
#include "Commands.h"

#include <iostream>

namespace bndhost {

namespace {

constexpr Command kCommands[] = {
    {"info", 1, 1, "info takes one FILE",
     [](Session& s, const Call& c) { return RunInfo(s, c.Operand(0), c.json, std::cout); }},
    {"convert", 2, 2, "convert takes IN and OUT",
     [](Session& s, const Call& c) { return RunConvert(s, c.Operand(0), c.Operand(1)); }},
    {"xyz", 1, 2, "xyz takes FILE and at most one OUT",
     [](Session& s, const Call& c) { return RunXyz(s, c.Operand(0), c.Operand(1)); }},
    {"preview", 2, 2, "preview takes FILE and OUT.png",
     [](Session& s, const Call& c) {
         return RunPreview(s, c.Operand(0), c.Operand(1), c.band.value_or(0), std::cout);
     }},
    {"demo", 0, 1, "demo takes at most one DIR",
     [](Session& s, const Call& c) { return RunDemo(s, c.Operand(0), std::cout); }},
};

} // namespace

std::span<const Command> CommandTable()
{
    return kCommands;
}

const char* const kHelp = R"(Usage: bndhost [--plugin PATH] [--yes | --no] [--quiet] COMMAND ...

Drives the fennick banded-raster filter module as a host application does.

Commands:
  info FILE [--json]        probe and import FILE; print the probe result, the
                            lattice summary, what the module says of the files
                            it read (layout, bits, byte order, sizes, nodata)
                            and each band's minimum, maximum and mean without
                            nodata and NaN; --json prints one JSON object
  convert IN OUT            import IN and export it to OUT; OUT needs an
                            extension other than .hdr: .bip or .bsq chooses
                            that layout, any other BIL
  xyz FILE [OUT]            every node of FILE as a line 'x y v0 [v1 ...]', top
                            row first, to OUT or to standard output (no OUT, '-')
  preview FILE OUT.png [--band N]
                            a grayscale PNG of band N (default 0), scaled from
                            the band's minimum to its maximum
  demo [DIR]                write a sample raster into DIR (a new or empty
                            folder; without DIR a temporary one, removed at the
                            end), convert it to BIL, BIP and BSQ, import each
                            back and check every value

Options:
  --plugin PATH   the filter module (default: $FENNICK_PLUGIN, else fennick.so
                  beside bndhost, else the installed one)
  --yes, --no     the answer to the module's questions when there is no
                  terminal to ask (without either, the answer is no)
  --quiet         no progress display
  -h, --help      this text
  --version       bndhost's version

Outputs are replaced whole or not at all (an existing OUT stays as it was on
any error or interruption), with the permission bits of the files they
replace; a FIFO or device is written directly. Refused (status 1): an OUT
that is IN or that the user may not write; one that would write, write
through, replace, hide or unhide a file that another raster reads; for
convert, an OUT beside a world (.blw) or statistics (.stx) file, or whose
header is another tool's. convert notes on stderr what the export changes:
fractions, values it saturates to 32 bits, NaN written as 0.

Exit status: 0 done; 1 error (one line on stderr, also for a data file shorter
than its header says and a failed write to standard output); 2 stopped,
declined, refused or not importable; 64 usage error; 130 interrupted (Ctrl-C);
141 standard output closed (a pipe whose reader ended); 128 + N ended by
signal N (TERM, HUP, QUIT).
)";

} // namespace bndhost
