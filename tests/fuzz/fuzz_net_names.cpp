// Output, source and broker names and MQTT payloads from arbitrary bytes: a name that
// parses writes back to one that parses to the same thing; a payload gives only whole,
// terminated lines and leaves nothing pending.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "net/mqtt_name.h"
#include "net/mqtt_payload.h"
#include "net/output_name.h"
#include "net/source_name.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  aismon::OutputAddress out;
  if (aismon::ParseOutputName(text, out)) {
    aismon::OutputAddress back;
    Check(aismon::ParseOutputName(aismon::OutputName(out, true), back) && back == out);
    Check(aismon::ParseOutputName(aismon::OutputName(out, false), back));
  }
  aismon::SourceAddress source;
  if (aismon::ParseSourceName(text, source) && source.kind == aismon::SourceKind::Mqtt) {
    aismon::MqttAddress back;
    Check(aismon::ParseMqttName(aismon::MqttName(source.mqtt), back) && back == source.mqtt);
  }
  const size_t cut = size / 2;
  const std::string_view sub = aismon::TopicSubSource(text.substr(0, cut), text.substr(cut));
  Check(sub.empty() || (sub.data() >= text.data() + cut && sub.data() + sub.size() <= text.data() + size));

  aismon::LineAssembler assembler;
  aismon::FeedMqttPayload(assembler, text.data(), size, [](const char* line) {
    Check(std::strlen(line) < static_cast<size_t>(aismon::kLineBufferBytes));
  });
  Check(assembler.Length() == 0);
  return 0;
}
