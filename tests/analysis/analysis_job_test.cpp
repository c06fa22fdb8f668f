// The analysis job's messages: what is posted, in which order, and when
// nothing is; the completeness rule at its boundary.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "engine/analysis_job.h"
#include "tests/analysis/test_files.h"

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
  Bytes junk(Layer3FrameLength(kStereo44) * junkFrames, 0);
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
}

TEST(AnalysisJob, UnopenableFileGivesExactlyOneFailure) {
  AnalysisJob job;
  std::vector<Message> m = RunToTheEnd(job, testing::TempDir() + "tempyra_no_such_file.mp3");
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].id, AnalysisJob::kAnalysisFailed);
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

TEST(AnalysisJob, DestroyingARunningJobStopsIt) {
  MessageQueue queue;
  {
    AnalysisJob job;
    ASSERT_TRUE(job.Start(&queue, WriteTempFile("long_job2.mp3", SilentStream(kStereo44, 9000))));
  }
  for (const Message& x : queue.Messages()) EXPECT_EQ(x.id, AnalysisJob::kAnalysisProgress);
}
