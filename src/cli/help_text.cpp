// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/help_text.h"

namespace zentaro::cli {

const char* HelpIntro() {
    return R"(NAME
    zentaro-cli - drive a Zentaro in-system programmer board from the command line

SYNOPSIS
    zentaro-cli [options] scan
    zentaro-cli [options] devices
    zentaro-cli [options] info
    zentaro-cli [options] program flash|eeprom FILE
    zentaro-cli [options] verify  flash|eeprom FILE
    zentaro-cli [options] read    flash|eeprom FILE
    zentaro-cli [options] erase
    zentaro-cli [options] fuses [--lock XX] [--low XX] [--high XX] [--ext XX]
                                [--allow-lockout]
    zentaro-cli [options] fuses --from FILE [--allow-lockout]
    zentaro-cli [options] job JOBFILE [--log FILE] [--repeat] [--allow-lockout]

DESCRIPTION
    Finds the programmer board (by the scan over COM1 ... COM4, or on the port given),
    selects the target device and runs one command, as the Zentaro window does.
    The board's own texts (status endings, mismatch messages) are printed as the window
    shows them. The window's settings are neither read nor written.

COMMANDS
    scan      Find the board and describe it.
    devices   List the devices the board offers.
    info      Show the chip's signature and calibration byte and the board's identifier
              and version.
    program   Program the memory from a file: Intel HEX, S-record, raw binary or ELF
              (flash also takes an encrypted .ebn image), then verify it unless
              --no-verify is given.
    verify    Compare the memory with such a file.
    read      Read the memory into a file: S-records when its name ends in .srec, .s19,
              .s28, .s37 or .mot, raw binary for .bin, else Intel HEX.
    erase     Erase the chip and leave programming mode.
    fuses     Without values: read the lock and fuse bytes and show the settings they
              stand for. With values: write only the bytes given (two hex digits each),
              then show them again. Before writing, prints each byte as old -> new and
              each named setting that changes; --json carries them as "before" and
              "after". Bytes the device does not have or the board may not write are
              refused before anything is written. --from FILE writes the lock and fuse
              bytes an ELF file carries instead.
    job       Run a production job file on every board: erase, flash, EEPROM, the
              serial number, fuses, and the lock byte last, each step only after the
              ones before it went well. Prints one line per chip; --json prints each
              chip's production record instead, --log appends it to a file.

JOB FILE
    A TOML file; file names in it are relative to its folder:
        device = "Mirval 10"
        erase = true            # default true
        verify = true           # default true
        [flash]
        file = "firmware.hex"   # any format program reads
        [eeprom]
        file = "settings.hex"
        [fuses]                 # low, high, ext, lock as two hex digits,
        low = "E2"              # or from = "firmware.elf"
        lock = "FC"
        [serial]
        memory = "eeprom"       # or "flash"
        address = 0x10
        size = 4                # bytes, 1 to 8
        order = "little"        # or "big" (binary form only)
        form = "binary"         # or "decimal", "hex": ASCII digits, zero-padded
        start = 1000
        step = 1
        counter = "serial.counter"
    Each chip gets the counter's next number, merged into its image and verified
    with it; a chip that fails gives its number back to the next one. Unknown keys,
    bad values and unreadable files are refused before any board is looked for
    (status 2 or 4). The record's keys are described in docs/production-record.md
    of the sources.)";
}

const char* HelpClosing() {
    return R"(EXIT STATUS
    0  success
    1  the command failed (board error, verify mismatch, a question declined)
    2  usage error (also an unknown or missing device)
    3  no board answered
    4  the file could not be read, parsed or written; nothing was sent to the board
    129 stopped by SIGHUP
    130 stopped by Ctrl-C
    143 stopped by SIGTERM
    With several ports, the worst status of all boards; a stopped run ends with the
    status of the signal that stopped it.

STOPPING
    Ctrl-C (SIGINT), SIGTERM and SIGHUP stop every running command at its next exchange
    with the board: programming mode is left, the failed lamp lit, and a file being read
    keeps its earlier contents, with no temporary file left beside it. A second one of
    these signals ends the program at once (status 128 plus its number), which may leave
    the read's temporary file .NAME.XXXXXX beside the file. A signal that was ignored
    when the program started (as under nohup) stays ignored.

EXAMPLES
    zentaro-cli scan
    zentaro-cli -d "Mirval 10" program flash firmware.hex
    zentaro-cli -p /dev/ttyUSB0 -d "Mirval 10" read eeprom backup.hex
    zentaro-cli -d "Mirval 10" fuses --low E2 --high D9
    zentaro-cli -p COM1 -p COM2 -p COM3 -y -d "Mirval 10" program flash firmware.hex)";
}

const char* UsageHint() {
    return "Try 'zentaro-cli --help' for more information.";
}

}  // namespace zentaro::cli
