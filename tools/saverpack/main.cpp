// saverpack: builds finished screensavers, inspects what start-up makes of them, takes them
// apart and moves their payload onto a newer runtime.
#include <iostream>
#include <string>
#include <vector>

#include "BuildCommand.h"
#include "ExtractCommand.h"
#include "InspectCommand.h"
#include "UpgradeCommand.h"

namespace {

const char kUsage[] =
    R"(usage:
  saverpack build --runtime RUNTIME --settings SETTINGS -o OUTPUT
                  [--name NAME] [--item FILE[=ITEMNAME][:raw|:zip]]... [--member FILE[=NAME]]...
  saverpack inspect FILE [--json] [--resolve]
  saverpack upgrade OLD -o NEW [--runtime RUNTIME]
  saverpack extract FILE DIR
  saverpack --help

build   Writes OUTPUT: a copy of RUNTIME followed by the packed items, the payload marker and a
        deflated ZIP archive holding SETTINGS (an INI file in Windows-1252) as NAME.002.
          --name NAME    the screensaver's name; the settings member is NAME.002
                         (default: OUTPUT's file name without its extension)
          --item FILE    packs FILE after the runtime. ITEMNAME is the name the settings file's
                         media entries use for it: the file name part of a list entry
                         ("sc2.swf" for "C:\movies\sc2.swf"), or an auxiliary entry without its
                         "(Resource) "/"(External) " prefix; write "**" where the name has "=".
                         Default ITEMNAME: FILE's own name (a FILE whose name holds "=" needs
                         an explicit =ITEMNAME, as the last "=" ends FILE). ":raw" (default)
                         stores the file's own bytes, ":zip" a deflated ZIP archive holding it
                         (choose :raw for movies: start-up copies them out fastest). The [zippos]
                         positions and [notzip] switches are written into the packed copy of
                         SETTINGS; everything else in it is kept as it is.
          --member FILE  adds FILE to the settings archive under NAME (default: its own name);
                         start-up extracts it into the workspace.
        Refused (exit 1, nothing written): a runtime that already carries the marker in its last
        150000 bytes, a settings archive too big for the 150000-byte payload window, packed bytes
        that would put a false marker ahead of the real one, positions beyond 2147483647,
        duplicate or malformed names, unreadable inputs, OUTPUT naming one of the inputs.
        Warned about (still written): an item that no switched-on media entry names, and a
        media entry for a file that no item packs.

inspect Runs the start-up stages on FILE as if FILE were the running screensaver, in a fresh
        temporary workspace that is removed afterwards (no registry, no single-instance guard):
        finds the payload, unpacks the settings, reads them and builds the media lists.
          --json     prints the full report as JSON: payload_present, run_as_exe,
                     settings_member, settings, lists, workspace (and resolved)
          --resolve  also resolves every FlashList entry as playback would (extracting packed
                     movies into the workspace)
        Without --json it prints where the payload lies, the settings that differ from the
        defaults, the media lists and each packed item with its range, its size and whether it
        resolves (every item is extracted into the temporary workspace to find out).
        Exit status: 0 done, 1 FILE unreadable or bad usage, 2 start-up failed (message shown).

upgrade Writes NEW: RUNTIME followed by OLD's packed items, byte for byte, and OLD's settings.
        OLD's own runtime ends where its first packed item begins (or at the payload marker
        when it packs none); every [zippos] position moves by the difference in size. Only those
        values of the settings file change; its other text, the other members of the settings
        archive and their content stay as they are. Bytes after OLD's settings archive (the code
        signature of a signed screensaver) are dropped, and the output says so: a signature
        cannot match the new file, so sign NEW again if it must be signed.
          --runtime RUNTIME  default: flashsaver.scr in saverpack's own folder, else
                             flashsaver.scr two folders up (the build tree: BUILD/flashsaver.scr
                             beside BUILD/tools/saverpack/)
        NEW is first written as NEW.upgrading~ and renamed only after start-up, run on both
        files, extracts every item and movie of NEW to the same bytes as OLD's.
        Refused (exit 1, NEW neither created nor changed): OLD without a payload; positions that
        do not add up (an item outside the file, inside the marker area, empty or reversed, two
        items overlapping); a settings archive member that cannot be read; a RUNTIME that
        carries the marker itself; NEW naming OLD or RUNTIME; a failed verification.

extract Writes into DIR (created when missing) the settings file, every other member of the
        settings archive and every packed item (a raw item as its own bytes, a zipped item as
        its members), each under the name start-up gives it (no folder parts, no device names,
        "=" for "**"), and lists each file with its size and origin. A later file of the same
        name replaces an earlier one (the listing says so).
        Exit status: 0 done, 1 FILE unreadable or without a payload, or bad usage, 3 some part
        skipped (listed with the reason).
)";

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << kUsage;
        return 1;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsage;
        return 0;
    }
    if (command == "build") return saver::RunBuild(args, std::cout, std::cerr);
    if (command == "inspect") return saver::RunInspect(args, std::cout, std::cerr);
    if (command == "upgrade") return saver::RunUpgrade(args, std::cout, std::cerr);
    if (command == "extract") return saver::RunExtract(args, std::cout, std::cerr);
    std::cerr << "saverpack: unknown command " << command << "\n\n" << kUsage;
    return 1;
}
