// Decoding through FFmpeg's libraries. See ffmpeg_audio.h.
#include "engine/ffmpeg_audio.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

// At most this share of the packets may fail to decode, and the decoded
// samples may fall short of the stated duration by at most this share, for
// a stream to count as read in full (as for MPEG audio: 5 %).
constexpr int64_t kMissingPercentAllowed = 5;

// Decoding errors in a row after which the decoder counts as failed.
constexpr int kFailuresInARowAllowed = 1000;

std::string ErrorText(int error) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(error, text, sizeof text);
  return text;
}

// FFmpeg writes its warnings about damaged data to the standard error,
// where they would break into the command line's output: our own reasons
// say what went wrong instead.
void SilenceFfmpegOnce() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

}  // namespace

struct FfmpegAudio::Decoder {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  SwrContext* converter = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  int stream = -1;
  // What the converter was set up for.
  int inFormat = -1;
  int inRate = 0;
  AVChannelLayout inLayout{};
  int outChannels = 0;
  std::vector<uint8_t> pcm;
  uint16_t blockCounter = 0;
  int64_t fileSize = 0;
  // How the reading went.
  bool draining = false;      // the demuxer is done: the decoder gives what it holds
  bool ended = false;         // the decoder has given everything
  bool readBroken = false;    // the demuxer stopped before the end of the file
  bool decodeBroken = false;  // the decoder failed outright
  int64_t packets = 0;
  int64_t badPackets = 0;
  int failuresInARow = 0;
  int64_t samples = 0;        // per channel, decoded
  int64_t statedSamples = 0;  // per channel, from the file's stated duration; 0 unknown
  std::string brokenReason;

  ~Decoder() {
    av_channel_layout_uninit(&inLayout);
    swr_free(&converter);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
  }
};

bool FfmpegAudio::Available() {
  return true;
}

FfmpegAudio::FfmpegAudio() = default;

FfmpegAudio::~FfmpegAudio() {
  Close();
}

void FfmpegAudio::Close() {
  decoder_.reset();
  block_ = PcmBlock{};
}

bool FfmpegAudio::IsOpen() const {
  return decoder_ != nullptr;
}

std::string FfmpegAudio::CodecName() const {
  return decoder_ != nullptr ? avcodec_get_name(decoder_->codec->codec_id) : "";
}

bool FfmpegAudio::Fail(const std::string& reason) {
  lastError_ = reason;
  decoder_.reset();
  return false;
}

bool FfmpegAudio::Open(const std::string& path, const char* formatName) {
  if (decoder_ != nullptr) return true;
  SilenceFfmpegOnce();
  lastError_.clear();
  block_ = PcmBlock{};
  const std::string what = formatName != nullptr ? std::string(formatName) + " file" : "file";
  auto d = std::make_unique<Decoder>();
  decoder_ = std::move(d);
  Decoder& dec = *decoder_;
  int error = avformat_open_input(&dec.format, path.c_str(), nullptr, nullptr);
  if (error < 0) return Fail("cannot read the " + what + ": " + ErrorText(error));
  error = avformat_find_stream_info(dec.format, nullptr);
  if (error < 0) return Fail("cannot read the " + what + "'s streams: " + ErrorText(error));
  const AVCodec* codec = nullptr;
  dec.stream = av_find_best_stream(dec.format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
  if (dec.stream == AVERROR_STREAM_NOT_FOUND) return Fail("the " + what + " holds no audio");
  const AVStream* stream = dec.format->streams[dec.stream < 0 ? 0 : dec.stream];
  if (dec.stream < 0 || codec == nullptr)
    return Fail("no decoder for the " + what + "'s audio (" +
                avcodec_get_name(stream->codecpar->codec_id) + ")");
  dec.codec = avcodec_alloc_context3(codec);
  if (dec.codec == nullptr) return Fail("out of memory");
  error = avcodec_parameters_to_context(dec.codec, stream->codecpar);
  if (error < 0) return Fail("cannot set up the decoder: " + ErrorText(error));
  dec.codec->thread_count = 1;  // one thread per file
  dec.codec->pkt_timebase = stream->time_base;
  error = avcodec_open2(dec.codec, codec, nullptr);
  if (error < 0)
    return Fail("cannot open the " + std::string(avcodec_get_name(codec->id)) +
                " decoder: " + ErrorText(error));
  // Every other stream (cover pictures, video) is left unread.
  for (unsigned i = 0; i < dec.format->nb_streams; ++i)
    if (static_cast<int>(i) != dec.stream) dec.format->streams[i]->discard = AVDISCARD_ALL;
  dec.packet = av_packet_alloc();
  dec.frame = av_frame_alloc();
  if (dec.packet == nullptr || dec.frame == nullptr) return Fail("out of memory");
  if (stream->duration > 0 && dec.codec->sample_rate > 0)
    dec.statedSamples =
        av_rescale_q(stream->duration, stream->time_base, AVRational{1, dec.codec->sample_rate});
  else if (dec.format->duration > 0 && dec.codec->sample_rate > 0)
    dec.statedSamples = av_rescale(dec.format->duration, dec.codec->sample_rate, AV_TIME_BASE);
  dec.fileSize = dec.format->pb != nullptr ? avio_size(dec.format->pb) : 0;
  return true;
}

// (Re)makes the converter for the frame just decoded: its format, rate and
// channels to signed 16-bit interleaved at the same rate, mono or stereo.
bool FfmpegAudio::SetUpConverter() {
  Decoder& d = *decoder_;
  const AVFrame& f = *d.frame;
  AVChannelLayout in{};
  if (f.ch_layout.order != AV_CHANNEL_ORDER_UNSPEC && f.ch_layout.nb_channels > 0)
    av_channel_layout_copy(&in, &f.ch_layout);
  else
    av_channel_layout_default(&in, f.ch_layout.nb_channels > 0 ? f.ch_layout.nb_channels : 1);
  if (d.converter != nullptr && d.inFormat == f.format && d.inRate == f.sample_rate &&
      av_channel_layout_compare(&d.inLayout, &in) == 0) {
    av_channel_layout_uninit(&in);
    return true;
  }
  swr_free(&d.converter);
  av_channel_layout_uninit(&d.inLayout);
  d.inLayout = in;
  d.inFormat = f.format;
  d.inRate = f.sample_rate;
  d.outChannels = in.nb_channels >= 2 ? 2 : 1;
  AVChannelLayout out{};
  av_channel_layout_default(&out, d.outChannels);
  const int error =
      swr_alloc_set_opts2(&d.converter, &out, AV_SAMPLE_FMT_S16, f.sample_rate, &d.inLayout,
                          static_cast<AVSampleFormat>(f.format), f.sample_rate, 0, nullptr);
  av_channel_layout_uninit(&out);
  if (error < 0 || swr_init(d.converter) < 0) {
    swr_free(&d.converter);
    d.decodeBroken = true;
    d.brokenReason = "cannot convert the decoded audio to 16-bit PCM";
    return false;
  }
  return true;
}

const PcmBlock* FfmpegAudio::Convert() {
  Decoder& d = *decoder_;
  const AVFrame& f = *d.frame;
  if (f.nb_samples <= 0 || f.sample_rate <= 0) return nullptr;
  if (!SetUpConverter()) return nullptr;
  const int capacity = swr_get_out_samples(d.converter, f.nb_samples);
  d.pcm.resize(static_cast<size_t>(std::max(capacity, 0)) * 2 * static_cast<size_t>(d.outChannels));
  uint8_t* out = d.pcm.data();
  const int converted = swr_convert(d.converter, &out, capacity,
                                    const_cast<const uint8_t**>(f.extended_data), f.nb_samples);
  if (converted < 0) {
    d.decodeBroken = true;
    d.brokenReason = "cannot convert the decoded audio to 16-bit PCM";
    return nullptr;
  }
  d.samples += f.nb_samples;
  block_.blockIndex = d.blockCounter;
  d.blockCounter = static_cast<uint16_t>(d.blockCounter + 1);
  block_.pcm = d.pcm.data();
  block_.pcmBytes = static_cast<uint32_t>(converted) * 2u * static_cast<uint32_t>(d.outChannels);
  block_.info = mpeg::StreamInfo{};
  block_.info.outChannels = d.outChannels;
  block_.info.outBits = 16;
  block_.info.outSampleRate = f.sample_rate;
  block_.info.outBytesPerFrame = static_cast<int32_t>(block_.pcmBytes);
  // The read position in the file, scaled into 32 bits for files over 4 GiB.
  int64_t position = d.format->pb != nullptr ? avio_tell(d.format->pb) : 0;
  int64_t size = std::max<int64_t>(d.fileSize, position);
  while (size > UINT32_MAX) {
    size >>= 1;
    position >>= 1;
  }
  block_.dataPosition = static_cast<uint32_t>(std::clamp<int64_t>(position, 0, size));
  block_.dataLength = static_cast<uint32_t>(size);
  // Estimated from how far the file has been read, for progress displays.
  block_.info.totalFrames = block_.dataPosition == 0
                                ? 0
                                : static_cast<int32_t>(std::min<int64_t>(
                                      INT32_MAX, (int64_t{block_.blockIndex} + 1) *
                                                     block_.dataLength / block_.dataPosition));
  block_.followsPrevious = true;
  return &block_;
}

const PcmBlock* FfmpegAudio::NextBlock() {
  if (decoder_ == nullptr) return nullptr;
  Decoder& d = *decoder_;
  for (;;) {
    if (d.ended || d.decodeBroken) return nullptr;
    if (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) return nullptr;
    int error = avcodec_receive_frame(d.codec, d.frame);
    if (error == 0) {
      d.failuresInARow = 0;
      const PcmBlock* block = Convert();
      av_frame_unref(d.frame);
      if (block != nullptr) return block;
      continue;
    }
    if (error == AVERROR_EOF) {
      d.ended = true;
      return nullptr;
    }
    if (error != AVERROR(EAGAIN)) {
      // A packet that does not decode is passed over, like one the
      // decoder refused; a decoder that fails again and again has given up.
      ++d.badPackets;
      if (++d.failuresInARow > kFailuresInARowAllowed) {
        d.decodeBroken = true;
        d.brokenReason = "the decoder failed: " + ErrorText(error);
        return nullptr;
      }
      continue;
    }
    if (d.draining) {  // the decoder wants input it can no longer get
      d.ended = true;
      return nullptr;
    }
    error = av_read_frame(d.format, d.packet);
    if (error < 0) {
      if (error != AVERROR_EOF && !(d.format->pb != nullptr && avio_feof(d.format->pb))) {
        d.readBroken = true;
        d.brokenReason = "reading broke off: " + ErrorText(error);
      }
      d.draining = true;
      avcodec_send_packet(d.codec, nullptr);
      continue;
    }
    if (d.packet->stream_index == d.stream) {
      ++d.packets;
      error = avcodec_send_packet(d.codec, d.packet);
      if (error < 0 && error != AVERROR(EAGAIN)) ++d.badPackets;
    }
    av_packet_unref(d.packet);
  }
}

bool FfmpegAudio::Complete() {
  if (decoder_ == nullptr) return false;
  const Decoder& d = *decoder_;
  if (d.decodeBroken || d.readBroken) {
    lastError_ = d.brokenReason;
    return false;
  }
  if (!d.ended) {
    lastError_ = "decoding stopped before the end of the file";
    return false;
  }
  if (d.statedSamples > 0 && d.samples * 100 < d.statedSamples * (100 - kMissingPercentAllowed)) {
    lastError_ = "incomplete: " + std::to_string(d.samples * 100 / d.statedSamples) +
                 " % of the audio the file states could be decoded";
    return false;
  }
  if (d.badPackets * 100 > d.packets * kMissingPercentAllowed) {
    lastError_ = "damaged: " + std::to_string(d.badPackets) + " of " + std::to_string(d.packets) +
                 " packets could not be decoded";
    return false;
  }
  return true;
}
