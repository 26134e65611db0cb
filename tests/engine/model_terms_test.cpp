#include "engine/model_terms.h"

#include "core/fv_table.h"
#include "core/pv_table.h"
#include "engine/compute_model.h"
#include "support/model_builder.h"

#include <gtest/gtest.h>

#include <set>

namespace tolvane {
namespace {

// A value distinct for each term: a power in dBm, or a frequency in Hz.
double Mark(const ModelTermInfo& term) {
    return 7.0 + static_cast<int>(term.term);
}

// Each row's record, table code and table pointer name the same table: a value written through
// the record's accessors is found in the table the row points at, and in no other term's table.
TEST(ModelTermsTest, EveryRowReachesItsOwnTable) {
    const testing::ModelPtr model(CreateModelInfo());
    ASSERT_NE(model, nullptr);
    for (const ModelTermInfo& term : ModelTerms()) {
        SCOPED_TRACE(term.label);
        const TermTableOps& ops = TableOpsOf(term);
        void* record = TermRecord(model.get(), term);
        ASSERT_EQ(ops.setNumPairs(record, term.tableCode, 1), 1);
        ASSERT_EQ(ops.setAbscissa(record, term.tableCode, 0, Mark(term)), 1);
        ASSERT_EQ(ops.setValueAt(record, term.tableCode, 0, static_cast<float>(term.term)), 1);
        if (term.againstPower) {
            const PVInfo* table = TermPowerTable(model.get(), term);
            ASSERT_NE(table, nullptr);
            EXPECT_EQ(table->powersDbm[0], static_cast<float>(Mark(term)));
        } else {
            const FVInfo* table = TermFrequencyTable(model.get(), term);
            ASSERT_NE(table, nullptr);
            EXPECT_EQ(table->frequenciesHz[0], Mark(term));
        }
    }
    // Read once all are written, so a row sharing another's table reads the other's marks.
    for (const ModelTermInfo& term : ModelTerms()) {
        double abscissa = 0.0;
        float value = 0.0f;
        const void* record = TermRecord(model.get(), term);
        ASSERT_EQ(TableOpsOf(term).getAbscissa(record, term.tableCode, 0, &abscissa), 1);
        ASSERT_EQ(TableOpsOf(term).getValueAt(record, term.tableCode, 0, &value), 1);
        EXPECT_EQ(abscissa, Mark(term)) << term.label;
        EXPECT_EQ(value, static_cast<float>(term.term)) << term.label;
    }
}

// Every budget term covers at least one model term, and every model term belongs to one; making
// a term neutral by its kind takes its contribution exactly to nothing.
TEST(ModelTermsTest, BudgetTermsCoverEveryTermAndNeutralValuesContributeNothing) {
    std::set<int> covered;
    for (const ModelTermInfo& term : ModelTerms()) {
        EXPECT_LT(term.coverage, kCoverageK) << term.label;
        covered.insert(term.coverage);
    }
    EXPECT_EQ(covered.size(), std::size(kBudgetTerms));
    for (const BudgetTerm& budget : kBudgetTerms)
        EXPECT_TRUE(covered.contains(budget.coverage)) << budget.name;

    EXPECT_EQ(LossToLinear(NeutralTermValue(TermKind::Loss)), 0.0f);
    EXPECT_EQ(GainTermAroundOne(NeutralTermValue(TermKind::Gain), 1.7f), 1.0);
    EXPECT_EQ(NeutralTermValue(TermKind::Phase), 0.0f);
    EXPECT_EQ(DBmToWatts(-3.0f - NeutralTermValue(TermKind::Power)), 0.0f);
}

} // namespace
} // namespace tolvane
