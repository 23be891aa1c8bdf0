#include "net/qt/mqtt_output.h"

#include <cstdio>
#include <cstring>

namespace aismon {

namespace {

void AppendJsonString(std::string& out, const char* s) {
  out += '"';
  for (; *s != '\0'; ++s) {
    const auto c = static_cast<unsigned char>(*s);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char b[8];
      std::snprintf(b, sizeof b, "\\u%04x", c);
      out += b;
    } else {
      out += static_cast<char>(c);
    }
  }
  out += '"';
}

}  // namespace

void ExpandTopic(const std::string& pattern, const ForwardedMessage& message, std::string& out) {
  out.clear();
  for (size_t i = 0; i < pattern.size();) {
    if (pattern.compare(i, 9, "%station%") == 0) {
      for (const char* s = message.station; *s != '\0'; ++s) out += (*s == '/' || *s == '+' || *s == '#') ? '_' : *s;
      i += 9;
    } else if (pattern.compare(i, 6, "%mmsi%") == 0) {
      out += std::to_string(message.mmsi);
      i += 6;
    } else if (pattern.compare(i, 6, "%type%") == 0) {
      out += std::to_string(message.type);
      i += 6;
    } else {
      out += pattern[i++];
    }
  }
}

namespace {

constexpr size_t kGatheredBytes = 64 * 1024;

struct GatheredHeader {
  uint32_t topicSize;
  uint32_t payloadSize;
  uint32_t lineCount;
};

}  // namespace

MqttOutput::MqttOutput(const OutputAddress& address, std::string caFile, Clock& clock)
    : address_(address), client_(address.mqtt, std::move(caFile), clock), gathered_(kGatheredBytes) {
  topic_.reserve(256);
  payload_.reserve(2 * kMessageTextBytes + 64);
}

void MqttOutput::Send(const ForwardedMessage& message) {
  ExpandTopic(address_.mqtt.topic, message, topic_);
  const void* data = nullptr;
  int size = 0;
  if (address_.json) {
    payload_ = "{\"nmea\":[";
    for (int i = 0; i < message.lineCount; ++i) {
      if (i > 0) payload_ += ',';
      AppendJsonString(payload_, message.lines[i]);
    }
    payload_ += "]}";
    data = payload_.data();
    size = static_cast<int>(payload_.size());
  } else {
    size = MessageText(message, text_, sizeof text_);
    data = text_;
  }
  if (size <= 0) {
    dropped_ += static_cast<uint64_t>(message.lineCount);
    return;
  }
  const GatheredHeader h{static_cast<uint32_t>(topic_.size()), static_cast<uint32_t>(size),
                         static_cast<uint32_t>(message.lineCount)};
  const size_t need = sizeof h + h.topicSize + 1 + h.payloadSize;
  if (used_ + need > gathered_.size()) Flush();
  if (need > gathered_.size()) {  // a topic longer than the whole space: not kept
    dropped_ += h.lineCount;
    return;
  }
  char* at = gathered_.data() + used_;
  std::memcpy(at, &h, sizeof h);
  std::memcpy(at + sizeof h, topic_.c_str(), h.topicSize + 1);
  std::memcpy(at + sizeof h + h.topicSize + 1, data, h.payloadSize);
  used_ += need;
}

void MqttOutput::Flush() {
  for (size_t at = 0; at < used_;) {
    GatheredHeader h;
    std::memcpy(&h, gathered_.data() + at, sizeof h);
    const char* topic = gathered_.data() + at + sizeof h;
    if (client_.Publish(topic, topic + h.topicSize + 1, static_cast<int>(h.payloadSize)))
      sent_ += h.lineCount;
    else
      dropped_ += h.lineCount;
    at += sizeof h + h.topicSize + 1 + h.payloadSize;
  }
  used_ = 0;
}

void MqttOutput::Tick() {
  Flush();  // in case no sweep flushed since
  client_.Tick();
}

OutputStatus MqttOutput::Status() const {
  OutputStatus s;
  s.name = OutputName(address_);
  switch (client_.State()) {
    case MqttState::Connecting: s.state = OutputState::Starting; break;
    case MqttState::Open: s.state = OutputState::Open; break;
    case MqttState::Waiting: s.state = OutputState::Waiting; break;
  }
  s.linesSent = sent_;
  s.linesDropped = dropped_;
  s.lastError = client_.LastError();
  return s;
}

}  // namespace aismon
