// The standalone program run as users run it, on a private dummy JACK server: what it plays
// equals the core's render of the same events, its state survives a quit and a restart, a bad
// state is kept aside, and a server that goes away or was never there ends it cleanly.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/instrument.h"
#include "io/safe_file.h"
#include "params/factory_bank.h"
#include "standalone/sounds.h"
#include "standalone/state_file.h"
#include "tests/support/jack_server.h"
#include "tests/support/jack_test_clients.h"
#include "tests/support/scoped_env.h"
#include "tests/support/standalone_process.h"

using orvalis::tests::DummyJackServer;
using orvalis::tests::standalone::Program;

namespace {

constexpr int kRate = 48000, kBlock = 256;

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find('\n', at);
    out.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return out;
}

std::string programName(const orvalis::core::Instrument& core, int index) {
  char name[orvalis::params::kProgramNameSize];
  core.programName(index, name);
  return name;
}

class StandaloneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!DummyJackServer::installed())
      GTEST_SKIP() << "jackd is not installed (scripts/setup installs jackd2)";
    char pattern[] = "/tmp/orvalis-standalone-test-XXXXXX";
    dir = mkdtemp(pattern);
    // Never the user's own state, whatever a test forgets to name.
    config = std::make_unique<orvalis::tests::ScopedEnv>("XDG_CONFIG_HOME", dir.c_str());
    server = std::make_unique<DummyJackServer>(kRate, kBlock);
  }
  void TearDown() override {
    server.reset();
    if (!dir.empty()) std::system(("rm -rf " + dir).c_str());
  }

  std::string path(const std::string& name) const { return dir + "/" + name; }

  // orvalis --no-gui on the test's server, once it says it plays: its ports show as soon as
  // they are registered, but take connections only once the client is active.
  std::unique_ptr<Program> startOrvalis(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "--no-gui");
    auto p = std::make_unique<Program>(arguments, path("orvalis.log"));
    const bool up = orvalis::tests::standalone::within(10, [&] {
      return p->output().find("playing as JACK client") != std::string::npos || !p->running();
    });
    EXPECT_TRUE(up && p->running()) << p->output();
    EXPECT_EQ(orvalis::tests::portsOf("Orvalis").size(), 3u);
    return p;
  }

  std::string dir;
  std::unique_ptr<orvalis::tests::ScopedEnv> config;
  std::unique_ptr<DummyJackServer> server;
};

TEST_F(StandaloneTest, PlaysTheEventsItReceivesAsTheCoreRendersThem) {
  std::string error;
  ASSERT_TRUE(server->start(error)) << error;
  // Notes, a bend, a controller and a clock byte (dropped) at frames inside and across blocks.
  const std::vector<orvalis::tests::TimedMidi> events = {
      {37, {0x90, 60, 100}, 3}, {300, {0x90, 64, 90}, 3},   {520, {0xE0, 0, 80}, 3},
      {700, {0x80, 60, 0}, 3},  {900, {0xF8, 0, 0}, 1},     {1000, {0xB1, 1, 64}, 3},
      {1200, {0x80, 64, 0}, 3}, {1500, {0x9F, 67, 127}, 3}, {2100, {0x8F, 67, 0}, 3}};
  constexpr int kFrames = 40 * kBlock;
  // The core's render of the same program, rate, block length and events, after idleBlocks
  // blocks without any: idle voices keep running, so what a note sounds like depends on how
  // long the core has played. Voices draw their LFO phases from rand() as the program's did,
  // from the first draw of the process.
  auto freshCore = [] {
    std::srand(1);
    auto core = std::make_unique<orvalis::core::Instrument>();
    core->loadFactoryBank();
    core->setSampleRate(kRate);
    core->setBlockSize(kBlock);
    return core;
  };
  auto render = [&](int idleBlocks, int frames, std::vector<float>(&out)[2]) {
    const auto core = freshCore();
    std::vector<float> scratch[2] = {std::vector<float>(kBlock), std::vector<float>(kBlock)};
    for (int block = 0; block < idleBlocks; ++block)
      core->render(scratch[0].data(), scratch[1].data(), kBlock);
    for (auto& channel : out) channel.assign(static_cast<std::size_t>(frames), 0.f);
    for (int block = 0; block < frames / kBlock; ++block) {
      for (const auto& e : events)
        if (e.frame / kBlock == block)
          core->midi(static_cast<int32_t>(e.frame % kBlock), e.bytes,
                     static_cast<std::size_t>(e.size));
      core->render(&out[0][block * kBlock], &out[1][block * kBlock], kBlock);
    }
  };
  // Up to 8 s of the core's idle output, to find how long the program had played.
  constexpr int kMaxIdleBlocks = 8 * kRate / kBlock;
  std::vector<float> idle[2];
  {
    const auto core = freshCore();
    for (auto& channel : idle) channel.assign(kMaxIdleBlocks * kBlock, 0.f);
    for (int block = 0; block < kMaxIdleBlocks; ++block)
      core->render(&idle[0][block * kBlock], &idle[1][block * kBlock], kBlock);
  }

  // A loaded machine can make the graph miss a cycle, after which no render can match: such a
  // try is played again, by a new process, since what a note sounds like depends on its past.
  for (int attempt = 0;; ++attempt) {
    auto orvalis = startOrvalis({"--state", path("s" + std::to_string(attempt) + ".state")});
    ASSERT_TRUE(orvalis->running());
    EXPECT_EQ(orvalis::tests::connectionsOf("Orvalis:out_left"),
              std::vector<std::string>{"system:playback_1"});
    EXPECT_EQ(orvalis::tests::connectionsOf("Orvalis:out_right"),
              std::vector<std::string>{"system:playback_2"});

    orvalis::tests::MidiSender sender(events);
    orvalis::tests::Recorder recorder(kRate * 10);
    ASSERT_TRUE(sender.open("sender"));
    ASSERT_TRUE(recorder.open("recorder"));
    ASSERT_TRUE(orvalis::tests::connectPorts(sender.port(), "Orvalis:midi_in"));
    ASSERT_TRUE(orvalis::tests::connectPorts("Orvalis:out_left", recorder.port(0)));
    ASSERT_TRUE(orvalis::tests::connectPorts("Orvalis:out_right", recorder.port(1)));
    orvalis::tests::standalone::sleepSeconds(0.1);  // the connections take effect from a next cycle
    sender.start();
    ASSERT_TRUE(orvalis::tests::standalone::within(10, [&] {
      return sender.started() &&
             recorder.recordedUntil() >= sender.firstFrame() + kFrames + 4 * kBlock;
    }));
    if (recorder.disturbances() > 0) {
      orvalis->signal(SIGTERM);
      EXPECT_TRUE(orvalis->waitForExit(5));
      if (attempt < 2) continue;
      GTEST_SKIP() << "the JACK graph missed cycles in every try: the machine is too loaded";
    }

    // The alignment: the cycle the sender wrote the events in, plus whatever latency the graph
    // adds in whole cycles; and how many blocks the program had played by then, found by where
    // its last two blocks before the events (quiet, but not silent to the last bit) lie in the
    // core's idle output.
    const int64_t sent = sender.firstFrame() - recorder.firstFrame();
    ASSERT_GE(sent, 2 * kBlock);
    const float* recorded[2] = {recorder.samples(0).data(), recorder.samples(1).data()};
    int aligned = -1, idleBlocks = -1;
    for (int lag = 0; lag <= 2 * kBlock && aligned < 0; lag += kBlock) {
      const float* before = recorded[0] + sent + lag - 2 * kBlock;
      ASSERT_TRUE(std::any_of(before, before + 2 * kBlock, [](float x) { return x != 0.f; }));
      int found = -1;
      for (int w = 2; w <= kMaxIdleBlocks && found < 0; ++w)
        if (std::equal(before, before + 2 * kBlock, &idle[0][(w - 2) * kBlock])) found = w;
      if (found < 0) continue;
      std::vector<float> expected[2];
      render(found, kFrames, expected);
      float peak = 0;
      for (float x : expected[0]) peak = std::max(peak, std::fabs(x));
      ASSERT_GT(peak, 0.01f);
      if (std::equal(expected[0].begin(), expected[0].end(), recorded[0] + sent + lag) &&
          std::equal(expected[1].begin(), expected[1].end(), recorded[1] + sent + lag)) {
        aligned = lag;
        idleBlocks = found;
      }
    }
    ASSERT_GE(aligned, 0) << "no alignment makes the recording equal the core's render";
    EXPECT_EQ(aligned, 0) << "the graph delays the synth by " << aligned << " frames";
    EXPECT_GT(idleBlocks, 0);
    orvalis->signal(SIGTERM);
    EXPECT_TRUE(orvalis->waitForExit(5));
    EXPECT_EQ(orvalis->exitStatus(), 0) << orvalis->output();
    break;
  }
}

TEST_F(StandaloneTest, SigtermSavesTheStateAndASecondStartRestoresIt) {
  constexpr int kRenamed = 5, kEdited = 12;
  {
    orvalis::core::Instrument edited;
    edited.loadFactoryBank();
    edited.selectProgram(kRenamed);
    edited.setProgramName("Renamed Here");
    edited.setParameter(kEdited, 0.123f);
    std::string error;
    ASSERT_TRUE(orvalis::io::writeFile(path("s.state"), edited.saveState(), error));
  }
  std::string error;
  ASSERT_TRUE(server->start(error)) << error;
  auto first = startOrvalis({"--no-connect", "--state", path("s.state"), "--program", "9"});
  first->signal(SIGTERM);
  ASSERT_TRUE(first->waitForExit(5));
  EXPECT_EQ(first->exitStatus(), 0) << first->output();
  const std::string saved = orvalis::tests::standalone::readFile(path("s.state"));
  orvalis::core::Instrument restored;
  ASSERT_TRUE(restored.loadState(reinterpret_cast<const uint8_t*>(saved.data()), saved.size()));
  EXPECT_EQ(restored.currentProgram(), 9);
  EXPECT_EQ(programName(restored, kRenamed), "Renamed Here");
  EXPECT_EQ(restored.program(kRenamed).values[kEdited], 0.123f);
  EXPECT_EQ(programName(restored, 0), orvalis::params::factoryProgram(0).record.name);

  // Started again with nothing on the command line, it saves the very same state.
  auto second = startOrvalis({"--no-connect", "--state", path("s.state")});
  second->signal(SIGINT);
  ASSERT_TRUE(second->waitForExit(5));
  EXPECT_EQ(second->exitStatus(), 0) << second->output();
  EXPECT_EQ(orvalis::tests::standalone::readFile(path("s.state")), saved);
}

TEST_F(StandaloneTest, AProgramChangeFromTheKeyboardSelectsTheProgram) {
  std::string error;
  ASSERT_TRUE(server->start(error)) << error;
  auto orvalis = startOrvalis({"--no-connect", "--state", path("s.state")});
  // On another channel than the notes', and after one the engine could not take (no data).
  orvalis::tests::MidiSender sender({{10, {0xC0, 0, 0}, 1}, {20, {0xC3, 42, 0}, 2}});
  ASSERT_TRUE(sender.open("sender"));
  ASSERT_TRUE(orvalis::tests::connectPorts(sender.port(), "Orvalis:midi_in"));
  orvalis::tests::standalone::sleepSeconds(0.1);
  sender.start();
  const std::string expected =
      std::string("orvalis: program 42, ") + orvalis::params::factoryProgram(42).record.name;
  EXPECT_TRUE(orvalis::tests::standalone::within(5, [&] {
    return orvalis->output().find(expected) != std::string::npos;
  })) << orvalis->output();
  orvalis->signal(SIGTERM);
  ASSERT_TRUE(orvalis->waitForExit(5));
  const std::string saved = orvalis::tests::standalone::readFile(path("s.state"));
  orvalis::core::Instrument restored;
  ASSERT_TRUE(restored.loadState(reinterpret_cast<const uint8_t*>(saved.data()), saved.size()));
  EXPECT_EQ(restored.currentProgram(), 42);
}

TEST_F(StandaloneTest, ABadStateIsRefusedKeptAsideAndTheFactoryBankUsed) {
  orvalis::core::Instrument core;
  const std::vector<uint8_t> blob = core.saveState();
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"not a state", "hello, this is not a state\n"},
      {"cut short", std::string(blob.begin(), blob.begin() + blob.size() / 2)},
      {"empty", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string file = path("bad.state");
    std::string error;
    ASSERT_TRUE(orvalis::io::writeFile(file, c.bytes, error));
    const auto r =
        orvalis::tests::standalone::run({"--state", file, "--list-programs"}, path("run.log"));
    EXPECT_EQ(r.status, 0);
    const std::vector<std::string> out = lines(r.output);
    ASSERT_EQ(out.size(), 1u + orvalis::params::kNumPrograms) << r.output;
    EXPECT_NE(out[0].find("not usable"), std::string::npos) << out[0];
    EXPECT_NE(out[0].find(file + ".bad"), std::string::npos) << out[0];
    EXPECT_EQ(out[1], std::string("*  0  ") + orvalis::params::factoryProgram(0).record.name);
    EXPECT_FALSE(orvalis::tests::standalone::exists(file));
    EXPECT_EQ(orvalis::tests::standalone::readFile(file + ".bad"), c.bytes);
  }
}

TEST_F(StandaloneTest, TheServerGoingAwayEndsItWithinASecondWithStatusOne) {
  // A name another run may hold at the same moment: the next one then.
  std::string error;
  bool started = false;
  for (int i = 0; i < DummyJackServer::kKillableNames && !started; ++i) {
    server.reset();  // first: its environment goes back before the next one sets its own
    server = std::make_unique<DummyJackServer>(kRate, kBlock, DummyJackServer::killableName(i));
    started = server->start(error);
  }
  ASSERT_TRUE(started) << error;
  auto orvalis = startOrvalis({"--no-connect", "--state", path("s.state")});
  server->kill();
  EXPECT_TRUE(orvalis->waitForExit(1.0)) << "still running a second after the server died";
  EXPECT_EQ(orvalis->exitStatus(), 1);
  EXPECT_NE(orvalis->output().find("the JACK server went away"), std::string::npos)
      << orvalis->output();
  EXPECT_TRUE(orvalis::tests::standalone::exists(path("s.state")));
}

TEST_F(StandaloneTest, CommandLineAnswers) {
  const std::string bank = std::string(ORVALIS_PRESETS_DIR) + "/Orvalis Factory.fxb";
  const struct {
    std::vector<std::string> arguments;
    int status;
    std::string firstLine;  // a prefix
    std::size_t lineCount;  // 0: any
  } cases[] = {
      // No server runs under the test's name.
      {{"--no-gui", "--state", path("s.state")}, 1, "orvalis: no JACK server is running: start", 1},
      {{"--version"}, 0, std::string("orvalis ") + ORVALIS_VERSION, 1},
      {{"--help"}, 0, "usage: orvalis", 0},
      {{"--program", "128"}, 2, "orvalis: --program wants a whole number 0..127", 1},
      {{"--name"}, 2, "orvalis: --name needs a value", 1},
      {{"--loud"}, 2, "orvalis: unknown option '--loud'", 1},
      {{"--bank", path("none.fxb"), "--list-programs"},
       1,
       "orvalis: " + path("none.fxb") + ": ",
       1},
      {{"--state", path("s.state"), "--bank", bank, "--program", "3", "--list-programs"},
       0,
       "   0  ",
       128},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments[0]);
    const auto r = orvalis::tests::standalone::run(c.arguments, path("run.log"));
    EXPECT_EQ(r.status, c.status) << r.output;
    const std::vector<std::string> out = lines(r.output);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0].rfind(c.firstLine, 0), 0u) << out[0];
    if (c.lineCount) {
      EXPECT_EQ(out.size(), c.lineCount) << r.output;
    }
  }
  EXPECT_FALSE(
      orvalis::tests::standalone::exists(path("s.state")));  // neither listing nor failing saves
}

}  // namespace
