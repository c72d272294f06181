#pragma once

#include "core/search/Search.h"

#include <optional>

class QTableView;

namespace velmora {

class AccountLists;
class AccountSession;

// A record a window listed (the search's results, the password health report), as the account
// holds it now: with its position as it stands, should records have moved within the folder.
// Nothing, after telling the user, when the record has left its folder since it was listed.
std::optional<SearchHit> ListedRecordNow(AccountSession& session, SearchHit hit);

// Selects the record in the main window's lists and scrolls both lists to it.
void GoToListedRecord(AccountLists& lists, const SearchHit& hit);

// Scrolls `list` to its top and then down until row `row` stands second from the top.
void ScrollListTo(QTableView& list, int row);

} // namespace velmora
