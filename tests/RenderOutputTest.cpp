// Where orvalis-render writes, through the real binary: a temporary file beside a regular or
// absent target, links kept, FIFOs and devices written in place, standard output, the input
// never overwritten, interrupted renders leaving nothing, errors with the system's reason, and
// memory that stays bounded however long the song.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <algorithm>
#include <cmath>
#include <csignal>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/midi_file_writer.h"
#include "tests/support/renderer_process.h"
#include "tests/support/wav_file.h"

using orvalis::tests::MidiFileWriter;
using orvalis::tests::WavFile;
using orvalis::tests::renderer::exists;
using orvalis::tests::renderer::readFile;
using orvalis::tests::renderer::run;

namespace {

constexpr uint32_t kBeat = MidiFileWriter::kPpq;  // 0.5 s at 120 bpm
constexpr uint32_t kHour = 7200 * kBeat;

bool sameSamples(const std::string& a, const std::string& b) {
  WavFile x, y;
  return orvalis::tests::readWav(a, x) && orvalis::tests::readWav(b, y) && !x.left.empty() &&
         x.left == y.left && x.right == y.right;
}

mode_t fileType(const std::string& path) {
  struct stat s {};
  return lstat(path.c_str(), &s) == 0 ? s.st_mode & S_IFMT : 0;
}

class RenderOutputTest : public orvalis::tests::renderer::RendererFixture {
 protected:
  void SetUp() override {
    RendererFixture::SetUp();
    song = path("song.mid");
    MidiFileWriter midi;
    midi.note(0, kBeat, 69).note(2 * kBeat, kBeat, 72);
    ASSERT_TRUE(midi.write(song));
  }
  // A note, then an hour of nothing up to the End-of-Track.
  std::string hourLongSong() {
    MidiFileWriter midi;
    midi.note(0, kBeat / 2, 69).endOfTrack(kHour);
    EXPECT_TRUE(midi.write(path("hour.mid")));
    return path("hour.mid");
  }
  std::string song;
};

}  // namespace

TEST_F(RenderOutputTest, NeverOverwritesTheInput) {
  ASSERT_EQ(symlink(song.c_str(), path("link.mid").c_str()), 0);
  ASSERT_EQ(link(song.c_str(), path("hard.mid").c_str()), 0);
  const std::string before = readFile(song);
  for (const std::string& arguments :
       {song + " " + song, song + " -o " + song, song + " -o " + path("link.mid"),
        song + " -o " + path("hard.mid")}) {
    const orvalis::tests::renderer::Result r = run(arguments);
    EXPECT_EQ(WEXITSTATUS(r.status), 1) << arguments;
    EXPECT_NE(r.output.find("refusing to overwrite the input file"), std::string::npos) << r.output;
    EXPECT_EQ(readFile(song), before) << arguments;
    EXPECT_EQ(fileType(path("link.mid")), S_IFLNK);
    EXPECT_EQ(listing(), (std::vector<std::string>{"hard.mid", "link.mid", "song.mid"}));
  }
}

TEST_F(RenderOutputTest, ReplacesARegularFileWholeKeepingItsMode) {
  ASSERT_EQ(run(song + " --quiet " + path("first.wav")).status, 0);
  MidiFileWriter::writeBytes(path("out.wav"), {'o', 'l', 'd'});
  ASSERT_EQ(chmod(path("out.wav").c_str(), 0640), 0);
  const orvalis::tests::renderer::Result r =
      run(song + " " + path("out.wav"));  // OUTPUT as 2nd argument
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(sameSamples(path("out.wav"), path("first.wav")));
  struct stat s {};
  ASSERT_EQ(stat(path("out.wav").c_str(), &s), 0);
  EXPECT_EQ(s.st_mode & 07777, 0640u);
  EXPECT_EQ(listing(), (std::vector<std::string>{"first.wav", "out.wav", "song.mid"}));
}

TEST_F(RenderOutputTest, AFailedRenderLeavesTheOldFileAndNothingElse) {
  MidiFileWriter::writeBytes(path("out.wav"), {'o', 'l', 'd'});
  // The program is checked after the output is open.
  const orvalis::tests::renderer::Result r =
      run(song + " -o " + path("out.wav") + " --program 999");
  EXPECT_EQ(WEXITSTATUS(r.status), 1) << r.output;
  EXPECT_EQ(readFile(path("out.wav")), "old");
  EXPECT_EQ(listing(), (std::vector<std::string>{"out.wav", "song.mid"}));
}

TEST_F(RenderOutputTest, WritesThroughASymbolicLinkAndKeepsIt) {
  ASSERT_EQ(run(song + " --quiet -o " + path("direct.wav")).status, 0);
  ASSERT_EQ(mkdir(path("store").c_str(), 0755), 0);
  MidiFileWriter::writeBytes(path("store/out.wav"), {'o', 'l', 'd'});
  ASSERT_EQ(symlink("store/out.wav", path("link.wav").c_str()), 0);
  const orvalis::tests::renderer::Result r = run(song + " --quiet -o " + path("link.wav"));
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(fileType(path("link.wav")), S_IFLNK);
  EXPECT_TRUE(sameSamples(path("store/out.wav"), path("direct.wav")));
  EXPECT_EQ(listing(), (std::vector<std::string>{"direct.wav", "link.wav", "song.mid", "store"}));
}

TEST_F(RenderOutputTest, WritesIntoAFifoWithoutReplacingIt) {
  ASSERT_EQ(run(song + " --quiet -o " + path("direct.wav")).status, 0);
  ASSERT_EQ(mkfifo(path("fifo").c_str(), 0644), 0);
  std::string received;
  std::thread reader([&] { received = readFile(path("fifo")); });
  const orvalis::tests::renderer::Result r = run(song + " --quiet -o " + path("fifo"));
  // Should the renderer never open the FIFO, this lets the reader go.
  const int unblock = open(path("fifo").c_str(), O_WRONLY | O_NONBLOCK);
  if (unblock >= 0) close(unblock);
  reader.join();
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(fileType(path("fifo")), S_IFIFO);
  MidiFileWriter::writeBytes(path("streamed.wav"),
                             std::vector<uint8_t>(received.begin(), received.end()));
  EXPECT_TRUE(sameSamples(path("streamed.wav"), path("direct.wav")));
}

TEST_F(RenderOutputTest, DashWritesTheWavToStandardOutput) {
  ASSERT_EQ(run(song + " --quiet --format pcm16 -o " + path("direct.wav")).status, 0);
  const std::string render =
      std::string(ORVALIS_RENDER_PATH) + " " + song + " --format pcm16 -o - ";
  // A redirected standard output can be rewound; a pipe cannot.
  ASSERT_EQ(std::system((render + "> " + path("file.wav") + " 2> " + path("log")).c_str()), 0);
  ASSERT_EQ(std::system((render + "2>/dev/null | cat > " + path("piped.wav")).c_str()), 0);
  EXPECT_TRUE(sameSamples(path("file.wav"), path("direct.wav")));
  EXPECT_TRUE(sameSamples(path("piped.wav"), path("direct.wav")));
  EXPECT_EQ(readFile(path("log")).rfind("standard output: ", 0), 0u) << readFile(path("log"));
}

TEST_F(RenderOutputTest, DevicesAreWrittenNotReplaced) {
  const orvalis::tests::renderer::Result r = run(song + " --quiet -o /dev/null");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(fileType("/dev/null"), S_IFCHR);
}

TEST_F(RenderOutputTest, ErrorsGiveTheSystemsReasonBeforeAnyRendering) {
  ASSERT_EQ(mkdir(path("folder").c_str(), 0755), 0);
  ASSERT_EQ(symlink("nowhere/x.wav", path("dangling.wav").c_str()), 0);
  struct Case {
    std::string output, reason;
  };
  std::vector<Case> cases = {
      {path("folder"), "Is a directory"},
      {path("missing/out.wav"), "No such file or directory"},
      {"/dev/full", "No space left on device"},
      {path("dangling.wav"), "a symbolic link to nothing"},
  };
  if (geteuid() != 0) {  // root may write anywhere
    ASSERT_EQ(mkdir(path("locked").c_str(), 0555), 0);
    cases.push_back({path("locked/out.wav"), "Permission denied"});
  }
  const std::vector<std::string> before = listing();
  for (const Case& c : cases) {
    // The plug-in does not exist either: the output's fault must be the one reported.
    const orvalis::tests::renderer::Result r =
        run(song + " --plugin " + path("none.so") + " -o " + c.output);
    EXPECT_EQ(WEXITSTATUS(r.status), 1) << c.output;
    EXPECT_NE(r.output.find("cannot write " + c.output + ": " + c.reason), std::string::npos)
        << r.output;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
    EXPECT_EQ(listing(), before) << c.output;
  }
}

TEST_F(RenderOutputTest, InterruptedRenderRemovesItsTemporaryFile) {
  const std::string hour = hourLongSong();
  for (int signal : {SIGINT, SIGTERM}) {
    orvalis::tests::renderer::Child child =
        orvalis::tests::renderer::start({hour, "--quiet", "-o", path("out.wav")});
    bool started = false;
    for (int i = 0; i < 500 && !started; ++i) {
      usleep(10000);
      for (const std::string& name : listing()) started |= name.rfind("out.wav.partial-", 0) == 0;
    }
    EXPECT_TRUE(started);
    kill(child.pid, signal);
    orvalis::tests::renderer::wait(child);
    EXPECT_TRUE(WIFSIGNALED(child.status) && WTERMSIG(child.status) == signal) << child.status;
    EXPECT_EQ(listing(), (std::vector<std::string>{"hour.mid", "song.mid"})) << strsignal(signal);
  }
}

TEST_F(RenderOutputTest, TailZeroEndsExactlyAtTheEndOfTrack) {
  MidiFileWriter midi;
  midi.note(0, 4 * kBeat, 69).endOfTrack(3 * kBeat);  // the note outlasts the End-of-Track
  ASSERT_TRUE(midi.write(path("cut.mid")));
  ASSERT_EQ(run(path("cut.mid") + " --quiet --tail 0 --block 100 -o " + path("cut.wav")).status, 0);
  WavFile wav;
  ASSERT_TRUE(orvalis::tests::readWav(path("cut.wav"), wav));
  // The note-off at 2 s is the last event; it is played, the release is not.
  EXPECT_EQ(wav.left.size(), 2u * 44100 + 1);
  EXPECT_GT(std::fabs(wav.left.back()) + std::fabs(wav.left[wav.left.size() - 2]), 1e-4f);
}

TEST_F(RenderOutputTest, AnHourLongSongRendersInBoundedMemory) {
#if defined(ORVALIS_SANITIZED)
  // Sanitizers keep freed memory in quarantine and make an hour of audio take minutes.
  GTEST_SKIP() << "memory and length are measured in an unsanitized build";
#endif
  // The child's peak includes this process's pages it shared until exec: a small test process.
  const std::string out = path("hour.wav");
  orvalis::tests::renderer::Child child = orvalis::tests::renderer::start(
      {hourLongSong(), "--quiet", "--rate", "8000", "--block", "8192", "--format", "pcm16", out});
  orvalis::tests::renderer::wait(child);
  ASSERT_TRUE(WIFEXITED(child.status) && WEXITSTATUS(child.status) == 0) << child.status;
  const double megabytes = child.usage.ru_maxrss / 1024.0;
  std::cout << "[ measured ] peak resident memory of a one-hour render: " << megabytes << " MB\n";
  EXPECT_LT(megabytes, 100.0);
  SF_INFO info{};
  SNDFILE* file = sf_open(out.c_str(), SFM_READ, &info);
  ASSERT_NE(file, nullptr);
  sf_close(file);
  EXPECT_GE(info.frames, 3600 * 8000);  // then the block that holds the end, already quiet
  EXPECT_LT(info.frames, 3600 * 8000 + 8192);
}
