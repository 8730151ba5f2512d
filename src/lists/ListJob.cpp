#include "lists/ListJob.h"

namespace hanlabel {

namespace {

// The list on the job frame, so that a Failure ends it as it ends a member card job.
class MemberListJob final : public LabelJob<MemberCardInputs, ListPrintOutcome> {
  public:
    MemberListJob(const MemberCardInputs& window, const JobEnvironment& env, const MemberList& list,
                  const QList<int>& rows)
        : LabelJob(window, env), m_list(list), m_rows(rows) {}

  private:
    void steps(ListPrintOutcome& out) override {
        const std::optional<QStringList> layout = MemberCardSettings(m_env.folder, m_in, out);
        if (!layout)
            return;
        out.composed = ComposeMemberList(m_list, m_rows, m_in, *layout, sendChannel(), *m_env.glyphs);
        readyToSend(out, out.composed.stream);
    }

    const MemberList& m_list;
    const QList<int>& m_rows;
};

} // namespace

ListPrintOutcome PrepareListPrint(const MemberList& list, const QList<int>& rows,
                                  const MemberCardInputs& window, const JobEnvironment& env) {
    MemberListJob job(window, env, list, rows);
    return job.compose();
}

} // namespace hanlabel
