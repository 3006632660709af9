// Taking the parts Corvane needs out of vmime's parsed IMAP responses.
#include "mailstore/ImapResponse.h"

#include <vmime/net/imap/IMAPParser.hpp>

namespace corvane {

using P = vmime::net::imap::IMAPParser;

struct ImapResponse::Parsed {
    std::unique_ptr<P::response> response;
};

ImapResponse::ImapResponse(void *response) : m_parsed(std::make_unique<Parsed>()) {
    m_parsed->response.reset(static_cast<P::response *>(response));
}

ImapResponse::~ImapResponse() = default;

namespace {

const P::resp_cond_state *tagged(const P::response &r) {
    const P::response_done *done = r.response_done();
    if (done == nullptr || done->response_tagged() == nullptr)
        return nullptr;
    return done->response_tagged()->resp_cond_state();
}

// Calls `f` with every untagged response_data.
template <typename F> void eachData(const P::response &r, F f) {
    for (const P::continue_req_or_response_data *item : r.continue_req_or_response_data()) {
        if (item != nullptr && item->response_data() != nullptr)
            f(*item->response_data());
    }
}

// Calls `f` with every response code, untagged and tagged.
template <typename F> void eachCode(const P::response &r, F f) {
    eachData(r, [&](const P::response_data &data) {
        if (data.resp_cond_state() && data.resp_cond_state()->resp_text() &&
            data.resp_cond_state()->resp_text()->resp_text_code())
            f(*data.resp_cond_state()->resp_text()->resp_text_code());
    });
    if (const P::resp_cond_state *state = tagged(r);
        state && state->resp_text() && state->resp_text()->resp_text_code())
        f(*state->resp_text()->resp_text_code());
}

} // namespace

bool ImapResponse::ok() const {
    const P::resp_cond_state *state = tagged(*m_parsed->response);
    return state != nullptr && state->status() == P::resp_cond_state::OK;
}

QString ImapResponse::statusText() const {
    const P::response &r = *m_parsed->response;
    if (const P::resp_cond_state *state = tagged(r); state && state->resp_text())
        return QString::fromUtf8(state->resp_text()->text()).simplified();
    if (r.response_done() && r.response_done()->response_fatal() &&
        r.response_done()->response_fatal()->resp_cond_bye() &&
        r.response_done()->response_fatal()->resp_cond_bye()->resp_text())
        return QString::fromUtf8(r.response_done()->response_fatal()->resp_cond_bye()->resp_text()->text())
            .simplified();
    return {};
}

bool ImapResponse::continuation() const {
    for (const P::continue_req_or_response_data *item : m_parsed->response->continue_req_or_response_data()) {
        if (item != nullptr && item->continue_req() != nullptr)
            return true;
    }
    return false;
}

bool ImapResponse::bye() const {
    const P::response &r = *m_parsed->response;
    if (r.response_done() && r.response_done()->response_fatal())
        return true;
    bool found = false;
    eachData(r, [&](const P::response_data &data) { found = found || data.resp_cond_bye() != nullptr; });
    return found;
}

bool ImapResponse::mailboxChanged() const {
    bool changed = false;
    eachData(*m_parsed->response, [&](const P::response_data &data) {
        if (const P::mailbox_data *mailbox = data.mailbox_data())
            changed = changed || mailbox->type() == P::mailbox_data::EXISTS;
        if (const P::message_data *message = data.message_data()) {
            if (message->type() == P::message_data::EXPUNGE) {
                changed = true;
            } else if (message->msg_att()) {
                for (const P::msg_att_item *item : message->msg_att()->items())
                    changed = changed || item->type() == P::msg_att_item::FLAGS;
            }
        }
    });
    return changed;
}

std::vector<ImapResponse::Fetched> ImapResponse::fetched() const {
    std::vector<Fetched> all;
    eachData(*m_parsed->response, [&](const P::response_data &data) {
        const P::message_data *message = data.message_data();
        if (message == nullptr || message->type() != P::message_data::FETCH || message->msg_att() == nullptr)
            return;
        Fetched one;
        for (const P::msg_att_item *item : message->msg_att()->items()) {
            switch (item->type()) {
            case P::msg_att_item::UID:
                if (item->unique_id())
                    one.uid = static_cast<quint32>(item->unique_id()->value());
                break;
            case P::msg_att_item::FLAGS:
                one.hasFlags = true;
                if (item->flag_list()) {
                    for (const P::flag *flag : item->flag_list()->flags()) {
                        one.seen = one.seen || flag->type() == P::flag::SEEN;
                        one.deleted = one.deleted || flag->type() == P::flag::DELETED;
                    }
                }
                break;
            case P::msg_att_item::RFC822_SIZE:
                if (item->number())
                    one.size = static_cast<qint64>(item->number()->value());
                break;
            case P::msg_att_item::BODY_SECTION:
            case P::msg_att_item::RFC822:
                if (item->nstring()) {
                    const std::string &value = item->nstring()->value();
                    one.raw = QByteArray(value.data(), static_cast<qsizetype>(value.size()));
                } else {
                    one.raw = QByteArray();
                }
                break;
            default:
                break;
            }
        }
        if (one.uid != 0)
            all.push_back(std::move(one));
    });
    return all;
}

std::vector<ImapResponse::Mailbox> ImapResponse::mailboxes() const {
    std::vector<Mailbox> all;
    eachData(*m_parsed->response, [&](const P::response_data &data) {
        const P::mailbox_data *mailbox = data.mailbox_data();
        if (mailbox == nullptr || mailbox->type() != P::mailbox_data::LIST || mailbox->mailbox_list() == nullptr)
            return;
        const P::mailbox_list *list = mailbox->mailbox_list();
        if (list->mailbox() == nullptr)
            return;
        Mailbox one;
        one.encodedName = list->mailbox()->name();
        one.separator = list->quoted_char();
        if (list->mailbox_flag_list()) {
            for (const P::mailbox_flag *flag : list->mailbox_flag_list()->flags()) {
                switch (flag->type()) {
                case P::mailbox_flag::NOSELECT:
                    one.noSelect = true;
                    break;
                case P::mailbox_flag::SPECIALUSE_TRASH:
                    one.specialUse = QStringLiteral("\\Trash");
                    break;
                case P::mailbox_flag::SPECIALUSE_SENT:
                    one.specialUse = QStringLiteral("\\Sent");
                    break;
                case P::mailbox_flag::SPECIALUSE_DRAFTS:
                    one.specialUse = QStringLiteral("\\Drafts");
                    break;
                default:
                    break;
                }
            }
        }
        all.push_back(std::move(one));
    });
    return all;
}

std::optional<quint64> ImapResponse::unseen() const {
    std::optional<quint64> value;
    eachData(*m_parsed->response, [&](const P::response_data &data) {
        const P::mailbox_data *mailbox = data.mailbox_data();
        if (mailbox == nullptr || mailbox->type() != P::mailbox_data::STATUS || !mailbox->status_att_list())
            return;
        for (const P::status_att_val *att : mailbox->status_att_list()->values()) {
            if (att->type() == P::status_att_val::UNSEEN && att->value_as_number())
                value = att->value_as_number()->value();
        }
    });
    return value;
}

quint32 ImapResponse::uidValidity() const {
    quint32 value = 0;
    eachCode(*m_parsed->response, [&](const P::resp_text_code &code) {
        if (code.type() == P::resp_text_code::UIDVALIDITY && code.nz_number())
            value = static_cast<quint32>(code.nz_number()->value());
    });
    return value;
}

std::optional<std::pair<quint32, quint32>> ImapResponse::appendUid() const {
    std::optional<std::pair<quint32, quint32>> value;
    eachCode(*m_parsed->response, [&](const P::resp_text_code &code) {
        if (code.type() != P::resp_text_code::APPENDUID || !code.nz_number() || !code.uid_set())
            return;
        const P::uid_set *set = code.uid_set();
        quint32 uid = 0;
        if (set->uniqueid())
            uid = static_cast<quint32>(set->uniqueid()->value());
        else if (set->uid_range() && set->uid_range()->uniqueid1())
            uid = static_cast<quint32>(set->uid_range()->uniqueid1()->value());
        if (uid != 0)
            value = std::make_pair(static_cast<quint32>(code.nz_number()->value()), uid);
    });
    return value;
}

} // namespace corvane
