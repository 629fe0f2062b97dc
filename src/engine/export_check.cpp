#include "engine/export_check.h"

#include <memory>
#include <utility>

#include "engine/destinations/destination_factory.h"
#include "engine/pipeline.h"
#include "log/activity_log.h"

namespace vandrel {

namespace {

// A look tells its findings at the end; the run's own log lines are not wanted.
class SilentView : public LogView {
 public:
  bool IsEmpty() const override { return true; }
  void AppendAndScroll(std::string_view) override {}
};

}  // namespace

ExportCheck CheckExport(const ConversionRequest& request, bool lookAtOutput, StatusSink* status) {
  CountingDestination counting(lookAtOutput ? MakeDestination(request) : nullptr);
  SilentView view;
  ActivityLog log;
  log.AttachEdit(&view);
  PipelineResult run = RunPipeline(request, counting, PipelineUse::kLook, RunReport{log, status});
  ExportCheck check;
  check.error = counting.Problem().empty() ? std::move(run.error) : counting.Problem();
  check.folders = counting.Folders();
  check.findings = std::move(run.findings);
  check.messages = run.messages;
  check.filesFound = run.filesFound;
  return check;
}

}  // namespace vandrel
