#pragma once
// Runs the independent checkers the platform tests compare against.
#include "support/process_runner.h"

namespace oracle {

using Result = testsupport::ProcessResult;
using testsupport::python;
using testsupport::run;

} // namespace oracle
