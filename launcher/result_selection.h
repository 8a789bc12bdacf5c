#pragma once

#include "launcher/catalogue_item_table.h"
#include "launcher/query_matches.h"

#include <string>
#include <vector>

// Fills results with the texts of the items that every query word matched, best first, one per
// launch key (command_items.h), at most limit. The order: the item learned from the query (kNone
// when there is none) first; then every item that needed no slip before those that did; within
// each, every other item before the browsers' visited pages; then highest use count first; then
// word prefixes before initials; then byte order of the texts, for visited pages their numbers
// (the order the harvest ranked them in).
//
// The order is total, and only as much of it is worked out as the results need: the few items
// with a use count are ranked by their counts; the others are read off the byte order (or the
// numbers of the pages) as long as matches come often enough there, and otherwise picked from the
// driver's items (query_matches.h) and ranked by their places in that order.
void selectResults(const CatalogueItemTable &table, const QueryMatches &matches, CatalogueItemTable::Id learned,
                   size_t limit, std::vector<std::string> &results);
