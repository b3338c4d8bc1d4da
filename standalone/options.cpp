#include "standalone/options.h"

#include <cerrno>
#include <cstdlib>

#include "params/program_record.h"

namespace orvalis::standalone {

namespace {

bool parseProgram(const std::string& text, int& program) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (errno || *end || value < 0 || value >= params::kNumPrograms) return false;
  program = static_cast<int>(value);
  return true;
}

}  // namespace

const char* usageText() {
  return "usage: orvalis [options]\n"
         "\n"
         "Plays Orvalis as a JACK client: MIDI in on midi_in, sound out on out_left and\n"
         "out_right. A JACK server must be running (JACK 2, or PipeWire's JACK).\n"
         "\n"
         "options:\n"
         "  --name NAME         the JACK client's name (default Orvalis)\n"
         "  --no-connect        leave the ports unconnected (default: the outputs to the first\n"
         "                      two playback ports, the MIDI input to every MIDI source)\n"
         "  --no-gui            no window: run until SIGINT or SIGTERM\n"
         "  --bank FILE.fxb     load a bank of programs\n"
         "  --program N         select program N (0..127)\n"
         "  --preset FILE.fxp   load a program into the current program\n"
         "  --state FILE        where the state is kept between runs\n"
         "                      (default $XDG_CONFIG_HOME/orvalis/standalone.state)\n"
         "  --list-programs     print the programs and exit\n"
         "  --version           print the version and exit\n"
         "  -h, --help          this text\n"
         "\n"
         "A MIDI program change selects a program; so do Page Up and Page Down (previous,\n"
         "next) in the window.\n";
}

bool parseOptions(const std::vector<std::string>& args, Options& o, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    // An option that takes a value: the next argument, which must be there.
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        error = a + " needs a value (see --help)";
        return false;
      }
      out = args[++i];
      return true;
    };
    if (a == "-h" || a == "--help") {
      o.help = true;
    } else if (a == "--version") {
      o.version = true;
    } else if (a == "--no-connect") {
      o.connect = false;
    } else if (a == "--no-gui") {
      o.gui = false;
    } else if (a == "--list-programs") {
      o.listPrograms = true;
    } else if (a == "--name") {
      if (!value(o.name)) return false;
      if (o.name.empty()) {
        error = "--name needs a non-empty name";
        return false;
      }
    } else if (a == "--bank") {
      if (!value(o.bank)) return false;
    } else if (a == "--preset") {
      if (!value(o.preset)) return false;
    } else if (a == "--state") {
      if (!value(o.state)) return false;
    } else if (a == "--program") {
      std::string text;
      if (!value(text)) return false;
      if (!parseProgram(text, o.program)) {
        error = "--program wants a whole number 0.." + std::to_string(params::kNumPrograms - 1) +
                ", not '" + text + "'";
        return false;
      }
    } else {
      error = "unknown option '" + a + "' (see --help)";
      return false;
    }
  }
  return true;
}

}  // namespace orvalis::standalone
