// The analysis job's messages: what is posted, in which order, and when
// nothing is; the completeness rule at its boundary.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <vector>

#include "engine/analysis_job.h"
#include "tests/analysis/test_files.h"
#include "tests/support/temp_folder.h"

namespace {

struct Message {
  uint32_t id;
  uintptr_t wParam;
  intptr_t lParam;
};

// Queues posted messages in memory, as the window's event loop would.
class MessageQueue : public MessageTarget {
 public:
  void Post(uint32_t id, uintptr_t wParam, intptr_t lParam) override {
    std::lock_guard<std::mutex> lock(mutex_);
    messages_.push_back({id, wParam, lParam});
    changed_.notify_all();
  }
  // Waits for `finals` messages that end a file; false after ten minutes.
  // The worker runs at idle priority, so on a machine busy with other tests
  // (under a sanitizer, say) it may get no processor for a long while.
  bool WaitForFinals(size_t finals) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::minutes(10),
                             [&] { return CountFinals() >= finals; });
  }
  std::vector<Message> Messages() {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_;
  }

 private:
  size_t CountFinals() const {
    size_t n = 0;
    for (const Message& m : messages_)
      n += m.id == AnalysisJob::kAnalysisDone || m.id == AnalysisJob::kAnalysisFailed;
    return n;
  }
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Message> messages_;
};

const FrameShape kStereo44{};

// Runs the job on one file until it posts its last message, and returns
// every message it posted.
std::vector<Message> RunToTheEnd(AnalysisJob& job, const std::string& path) {
  MessageQueue queue;
  EXPECT_TRUE(job.Start(&queue, path)) << path;
  EXPECT_TRUE(queue.WaitForFinals(1)) << path;
  job.Stop();
  return queue.Messages();
}

std::string StreamWithJunk(const std::string& name, uint32_t frames, uint32_t junkFrames) {
  // Not zeros: zero bytes after the last frame are padding, not frames lost.
  Bytes junk(Layer3FrameLength(kStereo44) * junkFrames, 0x5A);
  return WriteTempFile(name, Concat({SilentStream(kStereo44, frames), junk}));
}

}  // namespace

TEST(AnalysisJob, PostsProgressEveryFortyBlocksThenDone) {
  AnalysisJob job;
  std::vector<Message> m = RunToTheEnd(job, WriteTempFile("job.mp3", SilentStream(kStereo44, 100)));
  ASSERT_EQ(m.size(), 4u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(m[i].id, AnalysisJob::kAnalysisProgress);
    EXPECT_EQ(m[i].wParam, 40 * i);
    EXPECT_GT(m[i].lParam, 0);
  }
  EXPECT_EQ(m[3].id, AnalysisJob::kAnalysisDone);
  // Marked as the worker's, apart from a dialog's own messages of the
  // same numbers.
  EXPECT_EQ(m[3].wParam, AnalysisJob::kLastMessageMark);
  EXPECT_EQ(m[3].lParam, 0);
  EXPECT_EQ(job.SampleRate(), 44100u);
  // Silence has no tempo: the estimate is not a number, never a tempo.
  EXPECT_FALSE(std::isfinite(job.EstimateTempo()));
}

TEST(AnalysisJob, CompletenessBoundaryIsFivePercent) {
  // With j frames' worth of undecodable bytes after n frames, the last block
  // expects j more frames out of j + n: 4 of 100 is done, 5 of 100 failed.
  struct Case {
    uint32_t frames, junk;
    uint32_t expected;
  } cases[] = {{96, 4, AnalysisJob::kAnalysisDone}, {95, 5, AnalysisJob::kAnalysisFailed}};
  for (const Case& c : cases) {
    AnalysisJob job;
    std::vector<Message> m =
        RunToTheEnd(job, StreamWithJunk("junk" + std::to_string(c.junk), c.frames, c.junk));
    ASSERT_FALSE(m.empty());
    EXPECT_EQ(m.back().id, c.expected) << c.frames << " frames, " << c.junk << " junk";
    // The progress total is the source's estimate: the index the last
    // frame ahead would have.
    EXPECT_EQ(m.front().lParam, static_cast<intptr_t>(c.frames + c.junk - 1));
  }
}

TEST(AnalysisJob, SingleFrameFileWhoseEstimateIsZeroFails) {
  // One frame: its estimate is 1 + 0 - 1 = 0 frames, which the completeness
  // rule cannot divide by; such a file is reported as failed.
  AnalysisJob job;
  std::vector<Message> m =
      RunToTheEnd(job, WriteTempFile("one_frame.mp3", SilentStream(kStereo44, 1)));
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].id, AnalysisJob::kAnalysisProgress);
  EXPECT_EQ(m[0].lParam, 0);
  EXPECT_EQ(m[1].id, AnalysisJob::kAnalysisFailed);
  EXPECT_EQ(m[1].wParam, AnalysisJob::kLastMessageMark);
}

TEST(AnalysisJob, UnopenableFileGivesExactlyOneFailure) {
  AnalysisJob job;
  std::vector<Message> m = RunToTheEnd(job, TempPath("no_such_file.mp3"));
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].id, AnalysisJob::kAnalysisFailed);
  EXPECT_EQ(m[0].wParam, AnalysisJob::kLastMessageMark);
}

TEST(AnalysisJob, WithoutTargetAnalysesAndPostsNothing) {
  AnalysisJob job;
  ASSERT_TRUE(job.Start(nullptr, WriteTempFile("quiet.mp3", SilentStream(kStereo44, 60))));
  job.Stop();  // waits for the worker, which may already be done
  job.Stop();  // a second stop, and one on a job never started, return at once
  AnalysisJob never;
  never.Stop();
}

TEST(AnalysisJob, StartWhileRunningStopsTheOldWorkerSilently) {
  // A long file (about 4 minutes of frames) is still being read when the
  // job is started on a short one: only the short one's messages follow.
  std::string longFile = WriteTempFile("long_job.mp3", SilentStream(kStereo44, 9000));
  std::string shortFile = WriteTempFile("short_job.mp3", SilentStream(kStereo44, 10));
  MessageQueue queue;
  AnalysisJob job;
  ASSERT_TRUE(job.Start(&queue, longFile));
  ASSERT_TRUE(job.Start(&queue, shortFile));
  ASSERT_TRUE(queue.WaitForFinals(1));
  job.Stop();
  std::vector<Message> m = queue.Messages();
  size_t finals = 0;
  for (const Message& x : m) finals += x.id != AnalysisJob::kAnalysisProgress;
  EXPECT_EQ(finals, 1u);
  EXPECT_EQ(m.back().id, AnalysisJob::kAnalysisDone);
  // The short file's progress (index 0, last index 9) is the last progress.
  ASSERT_GE(m.size(), 2u);
  EXPECT_EQ(m[m.size() - 2].lParam, 9);
}

// The read position beside each progress message, as the window reads it.
class PositionRecorder : public MessageTarget {
 public:
  explicit PositionRecorder(const AnalysisJob& job) : job_(job) {}
  void Post(uint32_t id, uintptr_t wParam, intptr_t lParam) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (id == AnalysisJob::kAnalysisProgress) {
      positions.push_back(job_.Progress());
      messages.push_back({id, wParam, lParam});
    } else {
      ended = true;
      changed_.notify_all();
    }
  }
  bool WaitForEnd() {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::minutes(10), [&] { return ended; });
  }
  std::vector<ReadPosition> positions;
  std::vector<Message> messages;
  bool ended = false;

 private:
  const AnalysisJob& job_;
  std::mutex mutex_;
  std::condition_variable changed_;
};

// An hour of MPEG-2 audio at 16 kHz whose bit rate switches between 8 and
// 64 kbit/s every 1000 frames: 100,000 frames, so the 16-bit block index
// wraps and the estimated total jumps with the bit rate. The read position
// still only grows, against a total that stays the data's length.
TEST(AnalysisJob, ProgressPositionIsSteadyOverAnHourOfVaryingBitRate) {
  FrameShape low{2, 1, 2, 0, 3}, high{2, 8, 2, 0, 3};  // 36 and 288 bytes
  const Bytes lowRun = SilentStream(low, 1000), highRun = SilentStream(high, 1000);
  TempFolder t;
  const std::string path = t.File("hour.mp3");
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  uint64_t length = 0;
  for (int run = 0; run < 100; ++run) {
    const Bytes& b = run % 2 == 0 ? lowRun : highRun;
    ASSERT_EQ(std::fwrite(b.data(), 1, b.size(), f), b.size());
    length += b.size();
  }
  ASSERT_EQ(std::fclose(f), 0);

  AnalysisJob job;
  PositionRecorder recorder(job);
  ASSERT_TRUE(job.Start(&recorder, path));
  ASSERT_TRUE(recorder.WaitForEnd());
  job.Stop();

  const std::vector<ReadPosition>& p = recorder.positions;
  const std::vector<Message>& m = recorder.messages;
  // A message for every block whose 16-bit index is a multiple of 40.
  size_t expected = 0;
  for (uint32_t block = 0; block < 100000; ++block) expected += (block % 65536) % 40 == 0;
  ASSERT_EQ(p.size(), expected);
  bool wrapped = false;
  double smallestTotal = 1e18, largestTotal = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    EXPECT_EQ(p[i].total, length);
    if (i > 0) {
      EXPECT_GT(p[i].done, p[i - 1].done) << i;
      wrapped = wrapped || m[i].wParam < m[i - 1].wParam;
    }
    smallestTotal = std::min(smallestTotal, static_cast<double>(m[i].lParam));
    largestTotal = std::max(largestTotal, static_cast<double>(m[i].lParam));
  }
  EXPECT_TRUE(wrapped);                         // the messages' index did wrap ...
  EXPECT_GT(largestTotal, 3 * smallestTotal);   // ... and their total did jump
  EXPECT_GE(p.back().done, length - 40 * 288);  // the last message is 40 frames from the end
}

TEST(AnalysisJob, DestroyingARunningJobStopsIt) {
  MessageQueue queue;
  {
    AnalysisJob job;
    ASSERT_TRUE(job.Start(&queue, WriteTempFile("long_job2.mp3", SilentStream(kStereo44, 9000))));
  }
  for (const Message& x : queue.Messages()) EXPECT_EQ(x.id, AnalysisJob::kAnalysisProgress);
}
