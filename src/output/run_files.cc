#include "output/run_files.h"

#include "output/csv_export.h"
#include "output/report_folder.h"
#include "output/summary_file.h"

namespace linprob {

std::vector<FileEstimate> estimateRunFiles(const RunShape& shape) {
  std::vector<FileEstimate> files;
  if (shape.summaries == SummaryWriting::kWritten) {
    files.push_back({"Matrix*/RESULTS_*.txt", summaryFilesBytes(shape)});
    files.push_back({std::string(shape.exportFolder) + "Results_X*.csv",
                     csvExportBytes(shape)});
  }
  if (shape.report == ReportWriting::kSkipped) return files;
  const std::string folder = kReportFolder;
  for (const ReportFile& file : reportFiles()) {
    if (!writesReportFile(file, {shape.intervalMatrixSystems,
                                 shape.randomMatrixSystems})) {
      continue;
    }
    files.push_back({folder + std::string(file.name), file.estimate(shape)});
  }
  for (const EstimatedFile& page : reportPages()) {
    files.push_back({folder + std::string(page.name), page.estimate(shape)});
  }
  return files;
}

}  // namespace linprob
