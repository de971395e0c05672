#pragma once
// The application object of outside programs: OpenConsole starts a command in a console
// and hands back that console's object.

#include "ConsoleSession.h"
#include "vbs/Object.h"

#include <memory>

namespace qp {

class ZEBConsApp final : public vbs::Object {
public:
    static constexpr std::u16string_view Source = u"QuorviaPallant.ZEBConsApp";

    static vbs::Ref<ZEBConsApp> create(const std::shared_ptr<ConsoleSession>& session);

    vbs::DispId dispId(std::u16string_view name) override;
    vbs::Result<vbs::Variant> invoke(vbs::DispId id, vbs::InvokeKind kind, vbs::Args& args) override;
    std::u16string typeName() const override { return u"IZEBConsApp"; }

    // When nothing runs here: starts the command in this process's console and returns the
    // process's console object (empty when there is none). When a program runs: the
    // console object of another instance, where the command now runs. Does not pump.
    vbs::ObjectRef OpenConsole(const std::u16string& command);

private:
    explicit ZEBConsApp(std::weak_ptr<ConsoleSession> session) : m_session(std::move(session)) {}
    std::weak_ptr<ConsoleSession> m_session;
};

}  // namespace qp
