// The commands of the tool, one function each; every one answers an exit
// status (tool.h).
#pragma once

#include "tools/pellam_card/tool_session.h"

namespace pellam_card {

int RunSense(ToolSession& session);
int RunShow(ToolSession& session);
int RunIssue(ToolSession& session);
int RunVerifyPin(ToolSession& session);
int RunUnlock(ToolSession& session);
int RunInitialise(ToolSession& session);
int RunCharges(ToolSession& session);
int RunCharge(ToolSession& session);
int RunExpiry(ToolSession& session);

// The program's start-up and administrator-card gate, the reader, then the
// wait for a card of that administrator (a user-ID card, or any card he may
// edit), read and remembered. 0 when the card lies on the reader, else the
// exit status (the reader is closed then).
enum class CardNeeded { OwnUserCard, EditableCard };
int ReachCard(ToolSession& session, CardNeeded needed, pellam::CardKind& kind);

// A card library status as the tool prints it ("0x5").
std::string StatusText(std::int32_t status);

}  // namespace pellam_card
