#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Remakes the image files the images tests load, with tools of other origins (srec_cat 1.64,
# GNU binutils 2.40), from long_records.bin: its 2304 bytes at 0x100 in every format, the
# same as image.hex holds. The ELF files add 64 EEPROM bytes (long_records.bin's bytes
# 0x300 to 0x33F, also in eeprom.hex), the fuse bytes E2 D9 FD and the lock byte FC.
set -eu
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Intel HEX and raw, the references.
srec_cat long_records.bin -binary -offset 0x100 -o image.hex -intel -output_block_size=255
srec_cat long_records.bin -binary -offset 0x100 -fill 0xFF 0 0x100 -o image.bin -binary
srec_cat long_records.bin -binary -crop 0x300 0x340 -offset -0x300 -o "$work/eeprom.bin" -binary
srec_cat "$work/eeprom.bin" -binary -o eeprom.hex -intel

# S-records (srec_cat's output when no format is named) with 16-, 24- and 32-bit addresses;
# the longest records (count FF) in S1 and S3, CR LF and no end record in S2.
srec_cat long_records.bin -binary -offset 0x100 -execution-start-address=0 \
    -o image_s1.srec -address-length=2 -output_block_size=252
srec_cat long_records.bin -binary -offset 0x100 -o image_s2.s28 -address-length=3 -crlf
srec_cat long_records.bin -binary -offset 0x100 -execution-start-address=0 \
    -o image_s3.s37 -address-length=4 -output_block_size=250

# ELF with program headers, in both classes and byte orders: the flash bytes in two
# segments, the second with its virtual address in data space and its physical one in
# flash, as the GCC toolchain of these chips places initialised data.
srec_cat long_records.bin -binary -crop 0 0x800 -o "$work/flash_text.bin" -binary
srec_cat long_records.bin -binary -crop 0x800 0x900 -offset -0x800 -o "$work/flash_data.bin" \
    -binary
printf '\342\331\375' >"$work/fuses.bin"
printf '\374' >"$work/lock.bin"
cat >"$work/image.ld" <<'END'
PHDRS { text PT_LOAD; data PT_LOAD; eeprom PT_LOAD; fuse PT_LOAD; lock PT_LOAD; }
SECTIONS {
    .text 0x100 : AT(0x100) { flash_text.o(.data) } :text
    .data 0x800060 : AT(0x900) { flash_data.o(.data) } :data
    .eeprom 0x810000 : AT(0x810000) { eeprom.o(.data) } :eeprom
    .fuse 0x820000 : AT(0x820000) { fuses.o(.data) } :fuse
    .lock 0x830000 : AT(0x830000) { lock.o(.data) } :lock
    /DISCARD/ : { *(*) }
}
END
(
    cd "$work"
    for part in flash_text flash_data eeprom fuses lock; do
        objcopy -I binary -O elf64-x86-64 $part.bin $part.o
    done
)
for format in elf32-little elf64-little elf32-big elf64-big; do
    (cd "$work" && ld -T image.ld --build-id=none -s -z max-page-size=16 --oformat $format \
        -o image.elf flash_text.o flash_data.o eeprom.o fuses.o lock.o)
    mv "$work/image.elf" "image_$format.elf"
done

# Without the EEPROM section: its segment stays, empty.
objcopy -I elf32-little --remove-section=.eeprom image_elf32-little.elf no_eeprom.elf

# An object file without program headers: the bytes by their sections' addresses.
objcopy -I binary -O elf64-big long_records.bin image_sections.elf \
    --rename-section .data=.text,alloc,load,contents,readonly \
    --change-section-address .data=0x100 \
    --add-section .eeprom="$work/eeprom.bin" --change-section-address .eeprom=0x810000 \
    --add-section .fuse="$work/fuses.bin" --change-section-address .fuse=0x820000 \
    --add-section .lock="$work/lock.bin" --change-section-address .lock=0x830000 \
    --set-section-flags .eeprom=alloc,load,contents,data \
    --set-section-flags .fuse=alloc,load,contents,data \
    --set-section-flags .lock=alloc,load,contents,data --strip-all
chmod a-x ./*.elf
