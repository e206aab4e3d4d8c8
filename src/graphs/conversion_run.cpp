// The conversion holder's run: a job on a worker thread, waited for on the
// calling thread with the host's events handled and the progress ticked.

#include <filesystem>
#include <system_error>

#include "graphs/graph_holders.h"
#include "graphs/job_wait.h"
#include "settings/process_flags.h"

namespace korvid::graphs {

void TCdm::SetConversionJob(std::unique_ptr<ConversionJob> job) {
  StopConversion();
  job_ = std::move(job);
  fg.SetActive(true);
  progressSource = std::make_shared<JobProgress>();
}

void TCdm::StopConversion() {
  if (progressSource) progressSource->RequestStop();
  if (worker_.joinable()) worker_.join();
  job_.reset();
  progressSource.reset();
}

bool TCdm::RunJob(std::unique_ptr<ConversionJob> job, JobHost& host,
                  const settings::ProcessFlags& flags) {
  conversionComplete = false;
  if (fg.Active()) {
    StopConversion();
    fg.ClearGraph();
    fg.SetActive(false);
  }
  SetConversionJob(std::move(job));
  return RunConversionGraph(host, flags);
}

bool TCdm::RunConversionGraph(JobHost& host, const settings::ProcessFlags& flags) {
  if (!job_ || !progressSource) return false;
  conversionDuration = job_->Duration();
  if (conversionDuration <= 0) {
    StopConversion();
    return false;
  }
  conversionComplete = false;
  failure_ = nullptr;
  fg.Play();
  std::shared_ptr<JobProgress> progress = progressSource;
  ConversionJob* job = job_.get();
  worker_ = std::thread([this, job, progress, &host] {
    try {
      job->Run(*progress);
    } catch (...) {
      failure_ = std::current_exception();
    }
    progress->SetFinished();
    host.Wake();
  });

  const auto stop = [&] {
    if (progress->Finished()) OnGraphComplete();
    return conversionComplete || flags.AbortCommand;
  };
  WaitForJob(host, stop, convertTimer.interval_ms, [&] {
    if (convertTimer.enabled) ConvertTimerTick(host, flags);
    return convertTimer.interval_ms;
  });
  // Completion seen by the tick may come before the job has written its
  // indexes: only an abort cuts the job short.
  if (flags.AbortCommand) progress->RequestStop();
  worker_.join();
  fg.Stop();
  fg.SetActive(false);
  const std::exception_ptr failure = failure_;
  failure_ = nullptr;
  job_.reset();
  progressSource.reset();
  if (failure) std::rethrow_exception(failure);
  return true;
}

void TCdm::ConvertTimerTick(JobHost& host, const settings::ProcessFlags& flags) {
  if (flags.AbortCommand) {
    conversionComplete = true;
    if (progressSource) progressSource->RequestStop();
  }
  if (progressSource && conversionDuration > 0) {
    const std::int64_t position = progressSource->Position();
    host.SetGauge(static_cast<int>(100 * position / conversionDuration));
    if (position >= conversionDuration) conversionComplete = true;
  }
  convertTimer.enabled = true;
  convertTimer.interval_ms = ConvertTimer::kIntervalMs;
}

}  // namespace korvid::graphs
