// The commands of tamberol-cli, one line each: TAMBEROL_COMMAND(name, function, arguments, summary).
// Adding a command is one Cmd<Name>.cpp defining `int Cmd<Name>(int argc, char** argv)` plus one line here;
// the CMakeLists picks up every Cmd*.cpp by itself. Lines appear in --help in this order.
// No include guard: the file is included once per use with TAMBEROL_COMMAND defined differently.
TAMBEROL_COMMAND(
    "dump", CmdDump, "FILE [--json|--csv]",
    "every entry in file order, deleted ones included; the last field of an entry is when it was "
    "modified (ISO 8601, UTC: 2019-06-01T12:00:00Z), empty (null in JSON) when not known")
TAMBEROL_COMMAND(
    "discs", CmdDiscs, "FILE [--sizes] [--json|--csv]",
    "the discs as the tree shows them, with entry counts; --sizes: files, folders and bytes of each "
    "disc, and a last line (no label) over all of them. Then each disc's details: catalogued, source, "
    "device, volume_label, file_system, serial, capacity, free, location, notes (empty when not known)")
TAMBEROL_COMMAND(
    "disc", CmdDisc, "FILE LABEL [--index N] [--location TEXT] [--notes TEXT] [--json|--csv]",
    "one disc's details, a line each; with --location and --notes sets where the disc is kept and notes "
    "on it (an empty TEXT clears them) and saves FILE; when LABEL names more than one disc, --index N "
    "chooses the one whose first entry is N")
TAMBEROL_COMMAND(
    "list", CmdList, "FILE LABEL [--index N] [--folder PATH] [--json|--csv]",
    "the entries of one disc as its node lists them (the first disc with LABEL, or the one whose first "
    "entry is N, as discs prints it); with --folder, only those directly in that folder of the disc "
    "('\\DOCS\\')")
TAMBEROL_COMMAND("drives", CmdDrives, "[--json|--csv]", "the optical drives and the folders they map to")
TAMBEROL_COMMAND("scan", CmdScan,
                 "FILE --label LABEL [--same-label] [--checksums] DRIVE | FILE [--checksums] IMAGE...",
                 "catalogues the disc in DRIVE (or a folder or disc image) under LABEL into FILE, or each "
                 "IMAGE as a disc labelled from its volume; a LABEL that already names a disc is refused "
                 "unless --same-label, and labels taken from volumes are made unique: \"CDROM (2)\". "
                 "--checksums reads every file and keeps a checksum of its bytes (XXH3-128) for verify and "
                 "dupes --content; a file that cannot be read keeps the reason instead")
TAMBEROL_COMMAND(
    "watch", CmdWatch, "FILE [--eject] [--checksums] [--known skip|update] [--count N] [--json]",
    "catalogues each disc as it arrives in any optical drive (or mapped drive: TAMBEROL_DRIVES) into FILE, "
    "made when missing, under its volume label made unique, and saves FILE after each disc; a disc already "
    "in a drive when it starts is catalogued too. A disc whose serial (UUID) and volume label a catalogued "
    "disc has is known: skipped, or walked again and updated with --known update. One line per disc (one "
    "JSON object with --json): added, skipped, updated with the counts, refused and why, cancelled. --eject "
    "opens the tray once a disc is done; --count N stops after N discs; Ctrl+C or SIGTERM stops at once, "
    "the disc under way adding nothing (exit 0). A mapped drive holds a disc while its folder or image "
    "exists, and another once the file is replaced")
TAMBEROL_COMMAND(
    "rename", CmdRename, "FILE OLD NEW [--index N]",
    "gives the disc labelled OLD the label NEW (exact bytes); when OLD names more than one disc, "
    "--index N chooses the one whose first entry is N")
TAMBEROL_COMMAND(
    "update", CmdUpdate, "FILE LABEL [--index N] [SOURCE] [--checksums] [--dry-run] [--json|--csv]",
    "walks the disc labelled LABEL again, from SOURCE (a drive, folder or image) or else from the source its "
    "details keep, and lists how it differs, a row each: added, removed, changed (size or time) and moved (a "
    "file gone from one folder and found in another with the same name, size and time; old_path is where it "
    "was), and for a disc with checksums content (same size and time, other bytes) and unreadable (the "
    "reason given, the known checksum kept), then the counts; unless --dry-run or nothing differs, puts the "
    "new walk in place of the disc's "
    "entries (its location and notes stay) and saves FILE. A disc scanned with --checksums keeps them: every "
    "file is read again and its checksum recorded anew; --checksums records them for a disc that had none. "
    "A source that cannot be read changes nothing; when LABEL names more than one disc, --index N chooses "
    "the one whose first entry is N")
TAMBEROL_COMMAND(
    "verify", CmdVerify, "FILE LABEL [--index N] [SOURCE] [--json|--csv]",
    "reads the disc labelled LABEL again, from SOURCE or else from the source its details keep, and lists "
    "each file: same, changed content, changed size, changed date, missing, unreadable (with the system's "
    "reason) or new, then the counts. Contents are compared for a disc scanned with --checksums; without "
    "them names, sizes and dates are, and the summary says that contents were not compared. Exit 1 when "
    "anything differs or the source cannot be read; the catalogue is never changed")
TAMBEROL_COMMAND("delete", CmdDelete, "FILE LABEL [--index N]",
                 "deletes the disc labelled LABEL (its entries are blanked); when LABEL names more than one "
                 "disc, --index N chooses the one whose first entry is N")
TAMBEROL_COMMAND("find", CmdFind,
                 "FILE TEXT [--case] [--files-only] [--whole] [--min-size BYTES] [--max-size BYTES] "
                 "[--newer DATE] [--older DATE] [--disc LABEL] [--json|--csv]",
                 "entries whose name matches TEXT ('*' is a wildcard unless --whole); exit 1: none found, or "
                 "'*' with --whole. --min-size and --max-size keep files of at least and at most BYTES (a "
                 "number, or with K, M or G: times 1024, 1024^2, 1024^3); --newer keeps entries modified at "
                 "or after DATE, --older those modified before it (2019-06-01 is its first second, UTC; or "
                 "2019-06-01T12:00:00Z, or with an offset +02:00); an unknown date never passes; --disc "
                 "keeps the discs labelled LABEL")
TAMBEROL_COMMAND("dupes", CmdDupes, "FILE [--content] [--min-size BYTES] [--json|--csv]",
                 "files on more than one disc (same name, any case, and same size), biggest first, each copy "
                 "with its disc and folder; with --content, files with the same contents (same checksum and "
                 "size, whatever their names) among the discs scanned with --checksums")
