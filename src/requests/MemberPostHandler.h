// What the folder scan asks of the forwarding of members' posts: whether a message is a member's post,
// and to forward it. The forwarding of user messages implements it; the scan only holds this interface, so
// a scan can be run (and tested) with or without forwarding.
#pragma once

#include "requests/CurrentMessage.h"

namespace corvane {

class MailItem;

// The header field every copy Corvane forwards carries, naming the list category it went to (or "ALL" for
// the whole list); a message that bears it is Corvane's own copy coming back, never a member's post.
inline constexpr char kForwardedCopyField[] = "X-Corvane-List";

class MemberPostHandler {
public:
    virtual ~MemberPostHandler() = default;

    // Whether `message` qualifies as a member's post (IsUserEmail). A copy Corvane forwarded itself never
    // qualifies.
    virtual bool IsUserEmail(const CurrentMessage &message) const = 0;
    // Forwards `item`, whose fields the scan read into `message`, to its list category within the sending
    // rules (forwardmailmessage). True when every copy went out, which lets the scan finish the message;
    // refusals and failures are logged and leave the message in its folder. Never raises.
    virtual bool forwardmailmessage(MailItem &item, const CurrentMessage &message) = 0;
    // True once the person chose to switch the forwarding of user messages off during this scan; the scan
    // then treats no further message as a member's post.
    virtual bool forwardingSwitchedOff() const = 0;
};

} // namespace corvane
