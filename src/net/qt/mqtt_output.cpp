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

MqttOutput::MqttOutput(const OutputAddress& address, std::string caFile, Clock& clock)
    : address_(address), client_(address.mqtt, std::move(caFile), clock) {
  topic_.reserve(256);
  payload_.reserve(kMessageTextBytes + 64);
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
  if (size > 0 && client_.Publish(topic_.c_str(), data, size))
    sent_ += static_cast<uint64_t>(message.lineCount);
  else
    dropped_ += static_cast<uint64_t>(message.lineCount);
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
