#pragma once

#include "core/Failure.h"
#include "jobs/JobTypes.h"

#include <utility>

namespace hanlabel {

// The frame of a label window's print job: its inputs, its environment, and an outcome that the
// job's steps fill in as they go, so that a failure keeps what the steps before it found.
// The steps run on the caller's thread and end with the whole job composed; the caller sends the
// outcome's order (SendJob, SendAndWait) and completes the outcome with SendEnded. The job object
// is done once it has composed.
template <typename Inputs, typename Outcome> class LabelJob {
  public:
    LabelJob(Inputs inputs, JobEnvironment env) : m_in(std::move(inputs)), m_env(std::move(env)) {}
    virtual ~LabelJob() = default;

    // Runs the steps; a Failure ends them and becomes the outcome's message. A job that gets as
    // far as its channel ends Composed, with the order to send.
    Outcome compose() {
        Outcome out;
        try {
            steps(out);
        } catch (const Failure& failure) {
            out.status = JobStatus::Failed;
            out.failure = failure.message();
        }
        return out;
    }

  protected:
    // The job's steps up to the composed job. Throws Failure.
    virtual void steps(Outcome& out) = 0;

    // The channel the job is composed for and sent on.
    ChannelKind sendChannel() const { return ChooseChannel(m_in.sendPort.value_or(m_in.portText)); }

    // The last step: the whole job composed for sendChannel(), to go there.
    void readyToSend(Outcome& out, QByteArray stream) const {
        out.order = SendOrder{std::move(stream), sendChannel(), m_in.sendFraming.value_or(m_in.framing)};
        out.status = JobStatus::Composed;
    }

    Inputs m_in;
    JobEnvironment m_env;
};

// The end of the send of a Composed outcome: Printed, or Failed with the channel's message (a
// failure or the cancel report).
inline void SendEnded(LabelJobOutcome& out, const SendResult& sent) {
    out.order = {};
    out.status = sent.ok ? JobStatus::Printed : JobStatus::Failed;
    out.cancelled = sent.cancelled;
    if (!sent.ok)
        out.failure = sent.message;
}

} // namespace hanlabel
