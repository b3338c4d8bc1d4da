// --save-bank through the real orvalis-render: links followed and kept, FIFOs written into, and
// every failed save (a read-only file, a link to nothing, the song or the WAV named as the bank,
// a full disk, a signal) refused with a clear message and a failing status, the old bank intact
// byte for byte and nothing left behind. Two saves at once leave one whole bank.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/midi_file_writer.h"
#include "tests/support/renderer_process.h"

using orvalis::tests::MidiFileWriter;
using orvalis::tests::renderer::readFile;
using orvalis::tests::renderer::run;

namespace {

constexpr uint32_t kBeat = MidiFileWriter::kPpq;
const std::string kFactory = std::string(ORVALIS_PRESETS_DIR) + "/Orvalis Factory.fxb";

class SaveBankTest : public orvalis::tests::renderer::RendererFixture {
 protected:
  void SetUp() override {
    RendererFixture::SetUp();
    MidiFileWriter midi;
    midi.note(0, kBeat, 69);
    ASSERT_TRUE(midi.write(path("song.mid")));
    // The old bank: the factory bank with program 5 current, so that a save shows.
    oldBank = readFile(kFactory);
    ASSERT_GT(oldBank.size(), 32u);
    oldBank[31] = 5;
    std::ofstream(path("bank.fxb"), std::ios::binary) << oldBank;
    chmod(path("bank.fxb").c_str(), 0640);
  }
  std::string render(const std::string& bank, const std::string& more = "") {
    return path("song.mid") + " --quiet --bank \"" + kFactory + "\" --save-bank " + bank + " " +
           more;
  }
  std::string oldBank;
};

mode_t modeOf(const std::string& path) {
  struct stat s {};
  return lstat(path.c_str(), &s) == 0 ? s.st_mode : 0;
}

// orvalis-render with a limit on the size of any file it writes, beyond which writes fail as on
// a full disk (the limit's signal ignored, so the write reports the error instead).
int runWithFileSizeLimit(const std::vector<std::string>& arguments, rlim_t bytes) {
  const pid_t pid =
      orvalis::tests::startProgram(ORVALIS_RENDER_PATH, arguments, "/dev/null", false, [bytes] {
        const rlimit limit{bytes, bytes};
        setrlimit(RLIMIT_FSIZE, &limit);
        signal(SIGXFSZ, SIG_IGN);
      });
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}

}  // namespace

TEST_F(SaveBankTest, FailedSavesKeepTheOldBankAndLeaveNothing) {
  symlink("nowhere.fxb", path("dangling.fxb").c_str());
  std::ofstream(path("locked.fxb"), std::ios::binary) << oldBank;
  chmod(path("locked.fxb").c_str(), 0444);
  symlink("song.mid", path("song-link.mid").c_str());
  const struct {
    const char* what;
    std::string arguments;
    std::string kept;  // the file that must stay as it was
    std::string message;
  } cases[] = {
      {"a link to nothing", render(path("dangling.fxb"), "-o " + path("out.wav")), "",
       "a symbolic link to nothing"},
      {"a read-only file", render(path("locked.fxb"), "-o " + path("out.wav")), "locked.fxb",
       "cannot write " + path("locked.fxb") + ": Permission denied"},
      {"the input", render(path("song.mid"), "-o " + path("out.wav")), "song.mid",
       "refusing to save the bank over the input file"},
      {"the input through a link", render(path("song-link.mid"), "-o " + path("out.wav")),
       "song.mid", "refusing to save the bank over the input file"},
      {"the output", render(path("bank.fxb"), "-o " + path("bank.fxb")), "bank.fxb",
       "refusing to save the bank over the output file"},
      {"the output not there yet", render(path("new.wav"), "-o " + path("new.wav")), "",
       "refusing to save the bank over the output file"},
      {"a full device", render("/dev/full", "-o " + path("out.wav")), "",
       "cannot write /dev/full: No space left on device"},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> before = listing();
    const std::string kept = c.kept.empty() ? "" : readFile(path(c.kept));
    const orvalis::tests::renderer::Result r = run(c.arguments);
    EXPECT_EQ(WEXITSTATUS(r.status), 1) << c.what << ": " << r.output;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << c.what << ": " << r.output;
    EXPECT_EQ(listing(), before) << c.what;  // no WAV either: outputs go in place together
    if (!c.kept.empty()) {
      EXPECT_EQ(readFile(path(c.kept)), kept) << c.what;
    }
    EXPECT_EQ(readFile(path("bank.fxb")), oldBank) << c.what;
  }
  EXPECT_EQ(modeOf(path("locked.fxb")) & 07777, 0444u);
}

TEST_F(SaveBankTest, AFullDiskKeepsTheOldBank) {
  // The WAV goes to a device, which the limit does not cover; the bank does not fit.
  const int status = runWithFileSizeLimit(
      {path("song.mid"), "--quiet", "-o", "/dev/null", "--save-bank", path("bank.fxb")}, 4096);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_EQ(readFile(path("bank.fxb")), oldBank);
  EXPECT_EQ(listing(), (std::vector<std::string>{"bank.fxb", "song.mid"}));
}

TEST_F(SaveBankTest, ALinkIsFollowedAndKeptAndTheModeStays) {
  symlink("bank.fxb", path("link.fxb").c_str());
  const orvalis::tests::renderer::Result r = run(render(path("link.fxb"), "-o " + path("out.wav")));
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(S_ISLNK(modeOf(path("link.fxb"))));
  EXPECT_EQ(modeOf(path("bank.fxb")) & 07777, 0640u);
  const std::string saved = readFile(path("bank.fxb"));
  EXPECT_EQ(saved.size(), oldBank.size());
  EXPECT_EQ(saved[31], 0);  // the factory bank's current program, as loaded
  EXPECT_EQ(listing(), (std::vector<std::string>{"bank.fxb", "link.fxb", "out.wav", "song.mid"}));
}

TEST_F(SaveBankTest, AFifoIsWrittenIntoNotReplaced) {
  ASSERT_EQ(mkfifo(path("pipe").c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = readFile(path("pipe")); });
  const orvalis::tests::renderer::Result r = run(render(path("pipe"), "-o " + path("out.wav")));
  reader.join();
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(S_ISFIFO(modeOf(path("pipe"))));
  EXPECT_EQ(received.size(), oldBank.size());
  EXPECT_EQ(received.compare(0, 28, oldBank, 0, 28), 0);
}

TEST_F(SaveBankTest, TwoSavesAtOnceLeaveOneWholeBank) {
  // Each saves its own current program; the bank ends as one of them, never a mix.
  std::string results[2];
  std::thread saves[2];
  for (int i = 0; i < 2; ++i)
    saves[i] = std::thread([&, i] {
      const orvalis::tests::renderer::Result r =
          run(render(path("bank.fxb"), "--program " + std::to_string(10 + i) + " -o " +
                                           path("out" + std::to_string(i) + ".wav")));
      results[i] = r.status == 0 ? "" : r.output;
    });
  for (std::thread& t : saves) t.join();
  EXPECT_EQ(results[0], "");
  EXPECT_EQ(results[1], "");
  const std::string saved = readFile(path("bank.fxb"));
  ASSERT_EQ(saved.size(), oldBank.size());
  EXPECT_TRUE(saved[31] == 10 || saved[31] == 11) << int(saved[31]);
  EXPECT_EQ(saved.compare(32, std::string::npos, oldBank, 32, std::string::npos), 0);
  EXPECT_EQ(listing(), (std::vector<std::string>{"bank.fxb", "out0.wav", "out1.wav", "song.mid"}));
}

TEST_F(SaveBankTest, AnInterruptedSaveKeepsTheOldBank) {
  MidiFileWriter midi;
  midi.note(0, kBeat / 2, 69).endOfTrack(7200 * kBeat);  // an hour long
  ASSERT_TRUE(midi.write(path("hour.mid")));
  for (int signal : {SIGINT, SIGTERM}) {
    orvalis::tests::renderer::Child child = orvalis::tests::renderer::start(
        {path("hour.mid"), "--quiet", "-o", path("out.wav"), "--save-bank", path("bank.fxb")});
    bool started = false;
    for (int i = 0; i < 500 && !started; ++i) {
      usleep(10000);
      int partial = 0;
      for (const std::string& name : listing()) partial += name.find(".partial-") != name.npos;
      started = partial == 2;  // the WAV's and the bank's
    }
    EXPECT_TRUE(started);
    kill(child.pid, signal);
    orvalis::tests::renderer::wait(child);
    EXPECT_TRUE(WIFSIGNALED(child.status) && WTERMSIG(child.status) == signal) << child.status;
    EXPECT_EQ(readFile(path("bank.fxb")), oldBank) << strsignal(signal);
    EXPECT_EQ(listing(), (std::vector<std::string>{"bank.fxb", "hour.mid", "song.mid"}))
        << strsignal(signal);
  }
}
