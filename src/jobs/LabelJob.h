#pragma once

#include "core/Failure.h"
#include "jobs/JobTypes.h"

#include <utility>

namespace hanlabel {

// The frame of a label window's print job: its inputs, its environment, and an outcome that the
// job's steps fill in as they go, so that a failure keeps what the steps before it found.
template <typename Inputs, typename Outcome> class LabelJob {
  public:
    LabelJob(Inputs inputs, JobEnvironment env) : m_in(std::move(inputs)), m_env(std::move(env)) {}
    virtual ~LabelJob() = default;

    // The print button: runs the steps; a Failure ends them and becomes the outcome's message.
    Outcome Command1_Click() {
        Outcome out;
        try {
            print(out);
        } catch (const Failure& failure) {
            out.status = JobStatus::Failed;
            out.failure = failure.message();
        }
        return out;
    }

  protected:
    // The job's steps. Throws Failure.
    virtual void print(Outcome& out) = 0;

    Inputs m_in;
    JobEnvironment m_env;
};

} // namespace hanlabel
