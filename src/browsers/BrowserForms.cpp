#include "browsers/BrowserForms.h"

#include <string>

namespace sweepora {

const std::set<std::string>& KnownWebDataTables()
{
    static const std::set<std::string> known = {
        "meta", "token_service", "addresses", "address_type_tokens", "autofill_ai_attributes", "autofill_ai_entities",
        "autofill_ai_entities_metadata", "credit_cards", "local_ibans", "masked_credit_cards", "server_card_metadata",
        "payments_customer_data", "server_card_cloud_token_data", "offer_data", "offer_merchant_domain",
        "virtual_card_usage_data", "local_stored_cvc", "server_stored_cvc", "masked_bank_accounts",
        "masked_bank_accounts_metadata", "masked_ibans", "masked_ibans_metadata", "masked_credit_card_benefits",
        "benefit_merchant_domains", "generic_payment_instruments", "payment_instrument_creation_options",
        "loyalty_cards", "loyalty_card_merchant_domain", "valuables_metadata", "keywords", "autofill_model_type_state",
        "web_app_manifest_section", "payment_method_manifest", "secure_payment_confirmation_instrument",
        "secure_payment_confirmation_browser_bound_key",
        // Older versions' names for the same kinds of data.
        "autofill_profiles", "autofill_profile_names", "autofill_profile_emails", "autofill_profile_phones",
        "autofill_profile_addresses", "autofill_profiles_trash", "local_addresses", "local_addresses_type_tokens",
        "contact_info", "contact_info_type_tokens", "server_addresses", "server_address_metadata",
        "unmasked_credit_cards", "ie7_logins", "logins", "credit_card_tags", "autofill_offer_data",
        "autofill_offer_eligible_instrument", "autofill_offer_merchant_domain"};
    return known;
}

namespace {

SqlOutcome CleanWebData(SqliteDatabase& db, const StoreLayout& layout, std::int64_t& rows)
{
    for (const char* table : {"autofill", "autocomplete"})
        if (layout.Has(table))
            if (SqlOutcome ok = CountedExec(db, std::string("DELETE FROM main.") + table, rows); !ok) return ok;
    if (!layout.Has("autofill_sync_metadata")) return {};
    return CountedExec(db,
                       "DELETE FROM main.autofill_sync_metadata WHERE model_type = " +
                           std::to_string(kChromiumAutocompleteSyncType),
                       rows);
}

SqlOutcome CleanFormHistory(SqliteDatabase& db, const StoreLayout& layout, std::int64_t& rows)
{
    // The link table first: its rows name entries that go, and may lack ON DELETE CASCADE.
    for (const char* table : {"moz_history_to_sources", "moz_sources", "moz_formhistory"})
        if (layout.Has(table))
            if (SqlOutcome ok = CountedExec(db, std::string("DELETE FROM main.") + table, rows); !ok) return ok;
    return {};
}

} // namespace

std::vector<StoreOutcome> CleanBrowserForms(EraseContext& context, const BrowserProfile& profile)
{
    std::vector<StoreOutcome> outcomes;
    if (context.run.abort) return outcomes;
    StoreOutcome outcome;
    if (BrowserOf(profile.browser).family == BrowserFamily::Chromium) {
        static const std::vector<TableNeeds> needs = {
            {"autofill", {"name", "value"}, true},
            {"autocomplete", {"name", "value"}},
            {"autofill_sync_metadata", {"model_type", "storage_key"}},
        };
        if (EditBrowserStore(
                context, profile, InProfile(profile.folder, L"Web Data"), "Web Data", needs, KnownWebDataTables(),
                [](SqliteDatabase& db, const StoreLayout& layout, std::int64_t& rows) {
                    return CleanWebData(db, layout, rows);
                },
                outcome))
            outcomes.push_back(outcome);
    } else {
        static const std::vector<TableNeeds> needs = {
            {"moz_formhistory", {"id", "fieldname", "value"}, true},
            {"moz_sources", {"id", "source"}},
            {"moz_history_to_sources", {"history_id", "source_id"}},
        };
        // Tombstones of entries Firefox itself removed: ids and times, no text.
        static const std::set<std::string> known = {"moz_deleted_formhistory"};
        if (EditBrowserStore(
                context, profile, InProfile(profile.folder, L"formhistory.sqlite"), "formhistory.sqlite", needs, known,
                [](SqliteDatabase& db, const StoreLayout& layout, std::int64_t& rows) {
                    return CleanFormHistory(db, layout, rows);
                },
                outcome))
            outcomes.push_back(outcome);
    }
    return outcomes;
}

} // namespace sweepora
