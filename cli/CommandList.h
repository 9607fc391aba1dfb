// The commands of tamberol-cli, one line each: TAMBEROL_COMMAND(name, function, arguments, summary).
// Adding a command is one Cmd<Name>.cpp defining `int Cmd<Name>(int argc, char** argv)` plus one line here;
// the CMakeLists picks up every Cmd*.cpp by itself. Lines appear in --help in this order.
// No include guard: the file is included once per use with TAMBEROL_COMMAND defined differently.
TAMBEROL_COMMAND("dump", CmdDump, "FILE [--json|--csv]", "every entry in file order, deleted ones included")
TAMBEROL_COMMAND(
    "discs", CmdDiscs, "FILE [--sizes] [--json|--csv]",
    "the discs as the tree shows them, with entry counts; --sizes: files, folders and bytes of each "
    "disc, and a last line (no label) over all of them")
TAMBEROL_COMMAND(
    "list", CmdList, "FILE LABEL [--index N] [--folder PATH] [--json|--csv]",
    "the entries of one disc as its node lists them (the first disc with LABEL, or the one whose first "
    "entry is N, as discs prints it); with --folder, only those directly in that folder of the disc "
    "('\\DOCS\\')")
TAMBEROL_COMMAND("drives", CmdDrives, "[--json|--csv]", "the optical drives and the folders they map to")
TAMBEROL_COMMAND("scan", CmdScan, "FILE --label LABEL [--same-label] DRIVE | FILE IMAGE...",
                 "catalogues the disc in DRIVE (or a folder or disc image) under LABEL into FILE, or each "
                 "IMAGE as a disc labelled from its volume; a LABEL that already names a disc is refused "
                 "unless --same-label, and labels taken from volumes are made unique: \"CDROM (2)\"")
TAMBEROL_COMMAND(
    "rename", CmdRename, "FILE OLD NEW [--index N]",
    "gives the disc labelled OLD the label NEW (exact bytes); when OLD names more than one disc, "
    "--index N chooses the one whose first entry is N")
TAMBEROL_COMMAND("delete", CmdDelete, "FILE LABEL [--index N]",
                 "deletes the disc labelled LABEL (its entries are blanked); when LABEL names more than one "
                 "disc, --index N chooses the one whose first entry is N")
TAMBEROL_COMMAND("find", CmdFind, "FILE TEXT [--case] [--files-only] [--whole] [--json|--csv]",
                 "entries whose name matches TEXT ('*' is a wildcard unless --whole); exit 1: none found, or "
                 "'*' with --whole")
TAMBEROL_COMMAND("dupes", CmdDupes, "FILE [--min-size BYTES] [--json|--csv]",
                 "files on more than one disc (same name, any case, and same size), biggest first, each copy "
                 "with its disc and folder")
