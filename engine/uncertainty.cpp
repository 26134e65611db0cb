#include "engine/uncertainty.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>

namespace tolvane {
namespace {

enum UncertaintyRoutine : std::uint32_t {
    kRoutineInitializeUncertainty = 6,
};

enum UncertaintyMessage : std::uint32_t {
    kUncMsgNumFrequencies = 0x08,
    kUncMsgFrequencyValue = 0x09,
    kUncMsgFrequencyIndex = 0x10,
    kUncMsgNumDUTValues = 0x11,
    kUncMsgReflectionIndex = 0x12,
    kUncMsgTransmissionIndex = 0x13,
    kUncMsgType = 0x14,
};

constexpr NumberedText kRoutineTexts[] = {
    {kRoutineCreate, "CreateUncertaintyInfo: "},
    {kRoutineDestroy, "DestroyUncertaintyInfo: "},
    {kRoutineDeallocate, "DeallocateUncertaintyArrays: "},
    {kRoutineGet, "GetUncertaintyParam: "},
    {kRoutineSet, "SetUncertaintyParam: "},
    {kRoutineInitializeUncertainty, "InitializeUncertainty: "},
};

constexpr NumberedText kMessageTexts[] = {
    {kMsgNullInfo, "NULL info pointer."},
    {kMsgAllocation, "error allocating memory."},
    {kMsgUnknownParameter, "unknown parameter."},
    {kMsgNullParameter, "NULL parameter pointer."},
    {kMsgNullPointer, "NULL pointer."},
    {kUncMsgNumFrequencies, "Invalid number of frequencies."},
    {kUncMsgFrequencyValue, "Invalid frequency value."},
    {kUncMsgFrequencyIndex, "Invalid frequency array index."},
    {kUncMsgNumDUTValues, "Invalid number of DUT values."},
    {kUncMsgReflectionIndex, "Invalid reflection array index."},
    {kUncMsgTransmissionIndex, "Invalid transmission array index."},
    {kUncMsgType, "Invalid uncertainty type."},
};

// The six result arrays in the order they are allocated.
constexpr std::array kResultArrays = {
    &UncertaintyInfo::reflNominal,     &UncertaintyInfo::reflUpperBound,
    &UncertaintyInfo::reflPhaseDeg,    &UncertaintyInfo::transNominal,
    &UncertaintyInfo::transUpperBound, &UncertaintyInfo::transPhaseDeg};

int Fail(std::uint32_t message, std::uint32_t routine) {
    ReportUncertaintyError(MakeErrorCode(message, routine));
    return 0;
}

template <typename Value>
int GetField(const UncertaintyInfo* results, Value UncertaintyInfo::*field, Value* out) {
    if (results == nullptr) return Fail(kMsgNullInfo, kRoutineGet);
    if (out == nullptr) return Fail(kMsgNullParameter, kRoutineGet);
    *out = results->*field;
    return 1;
}

bool IsFrequencyIndex(int index) {
    return static_cast<unsigned>(index) < static_cast<unsigned>(kMaxUncertaintyFrequencies);
}

// The arrays exist and are laid out for the current counts.
bool ArraysFitCounts(const UncertaintyInfo& results) {
    return results.arrayFreqs > 0 && results.arrayFreqs == results.numFreqs &&
           results.arrayDUTValues == results.numDUTValues;
}

std::size_t Position(const UncertaintyInfo& results, int i, int j) {
    return static_cast<std::size_t>(i) * static_cast<std::size_t>(results.numDUTValues) +
           static_cast<std::size_t>(j);
}

// The three arrays of one measurement: nominal, upper bound, phase.
struct Measurement {
    BulkArray<float> UncertaintyInfo::*nominal;
    BulkArray<float> UncertaintyInfo::*upperBound;
    BulkArray<float> UncertaintyInfo::*phase;
    std::uint32_t indexMessage;
};

constexpr Measurement kReflection{&UncertaintyInfo::reflNominal, &UncertaintyInfo::reflUpperBound,
                                  &UncertaintyInfo::reflPhaseDeg, kUncMsgReflectionIndex};
constexpr Measurement kTransmission{&UncertaintyInfo::transNominal,
                                    &UncertaintyInfo::transUpperBound,
                                    &UncertaintyInfo::transPhaseDeg, kUncMsgTransmissionIndex};

// Checks the entry (i, j) under `routine` after the record itself has been checked.
int CheckEntry(const UncertaintyInfo& results, int i, int j, const Measurement& measurement,
               std::uint32_t routine) {
    if (i < 0 || i >= results.numFreqs) return Fail(kUncMsgFrequencyIndex, routine);
    if (j < 0 || j >= results.numDUTValues) return Fail(measurement.indexMessage, routine);
    if (!ArraysFitCounts(results)) return Fail(kMsgNullPointer, routine);
    return 1;
}

int GetEntry(const UncertaintyInfo* results, int i, int j, float* nominal, float* upperBound,
             float* phaseDeg, const Measurement& measurement) {
    if (results == nullptr) return Fail(kMsgNullInfo, kRoutineGet);
    if (nominal == nullptr || upperBound == nullptr || phaseDeg == nullptr)
        return Fail(kMsgNullParameter, kRoutineGet);
    if (CheckEntry(*results, i, j, measurement, kRoutineGet) == 0) return 0;
    const std::size_t at = Position(*results, i, j);
    *nominal = (results->*measurement.nominal)[at];
    *upperBound = (results->*measurement.upperBound)[at];
    *phaseDeg = (results->*measurement.phase)[at];
    return 1;
}

int SetEntry(UncertaintyInfo* results, int i, int j, float nominal, float upperBound,
             float phaseDeg, const Measurement& measurement) {
    if (results == nullptr) return Fail(kMsgNullInfo, kRoutineSet);
    if (CheckEntry(*results, i, j, measurement, kRoutineSet) == 0) return 0;
    const std::size_t at = Position(*results, i, j);
    (results->*measurement.nominal)[at] = nominal;
    (results->*measurement.upperBound)[at] = upperBound;
    (results->*measurement.phase)[at] = phaseDeg;
    return 1;
}

// Dimensions the six arrays for the current counts, leaving the entries unset. Arrays of the
// right size are kept: a result slot is filled computation after computation with the same
// dimensions, and new arrays cost a page fault at the first write to each page (120 MB for 5000
// frequencies by 1001 DUT values). Reports under InitializeUncertainty.
int DimensionArrays(UncertaintyInfo* results) {
    if (results == nullptr) return Fail(kMsgNullInfo, kRoutineInitializeUncertainty);
    if (results->numFreqs <= 0 || results->numDUTValues <= 0) {
        DeallocateUncertaintyArrays(results);
        return Fail(results->numFreqs <= 0 ? kUncMsgNumFrequencies : kUncMsgNumDUTValues,
                    kRoutineInitializeUncertainty);
    }
    const std::size_t cells = static_cast<std::size_t>(results->numFreqs) *
                              static_cast<std::size_t>(results->numDUTValues);
    if (results->arrayFreqs == 0 || results->reflNominal.size() != cells) {
        DeallocateUncertaintyArrays(results);
        // Arrays beyond the machine's memory would be granted by the system and then end the
        // program when written: a DUT sweep of 10^8 values is a typing slip, not a computation.
        constexpr std::size_t kBytesPerCell = kResultArrays.size() * sizeof(float);
        if (cells > PhysicalMemoryBytes() / kBytesPerCell)
            return Fail(kMsgAllocation, kRoutineInitializeUncertainty);
        try {
            for (auto array : kResultArrays)
                (results->*array).resize(cells);
        } catch (const std::bad_alloc&) {
            DeallocateUncertaintyArrays(results);
            return Fail(kMsgAllocation, kRoutineInitializeUncertainty);
        } catch (const std::length_error&) {
            DeallocateUncertaintyArrays(results);
            return Fail(kMsgAllocation, kRoutineInitializeUncertainty);
        }
    }
    results->arrayFreqs = results->numFreqs;
    results->arrayDUTValues = results->numDUTValues;
    return 1;
}

} // namespace

void ReportUncertaintyError(ErrorCode code) {
    ReportModuleError({kRoutineTexts, kMessageTexts}, code);
}

UncertaintyInfo* CreateUncertaintyInfo() {
    auto* results = new (std::nothrow) UncertaintyInfo;
    if (results == nullptr) Fail(kMsgAllocation, kRoutineCreate);
    return results;
}

int DestroyUncertaintyInfo(UncertaintyInfo* results) {
    if (results == nullptr) return Fail(kMsgNullInfo, kRoutineDestroy);
    delete results;
    return 1;
}

void DeallocateUncertaintyArrays(UncertaintyInfo* results) {
    if (results == nullptr) return;
    // Assigning an empty vector releases the storage (clear() would keep it).
    for (auto array : kResultArrays)
        results->*array = BulkArray<float>{};
    results->arrayFreqs = 0;
    results->arrayDUTValues = 0;
}

int InitializeUncertainty(UncertaintyInfo* results) {
    if (DimensionArrays(results) == 0) return 0;
    ZeroUncertaintyFrom(results, 0);
    return 1;
}

int InitializeUncertaintyForWriting(UncertaintyInfo* results) {
    return DimensionArrays(results);
}

void ZeroUncertaintyFrom(UncertaintyInfo* results, std::size_t first) {
    if (results == nullptr) return;
    for (auto array : kResultArrays) {
        BulkArray<float>& values = results->*array;
        std::fill(values.begin() + std::ptrdiff_t(std::min(first, values.size())), values.end(),
                  0.0f);
    }
}

int GetUncertaintyType(const UncertaintyInfo* results, int* type) {
    return GetField(results, &UncertaintyInfo::type, type);
}
int GetUncertaintyNumFreqs(const UncertaintyInfo* results, int* n) {
    return GetField(results, &UncertaintyInfo::numFreqs, n);
}
int GetUncertaintyNumDUTValues(const UncertaintyInfo* results, int* n) {
    return GetField(results, &UncertaintyInfo::numDUTValues, n);
}

int GetUncertaintyFreq(const UncertaintyInfo* results, int index, double* frequencyHz) {
    if (results == nullptr) return Fail(kMsgNullInfo, kRoutineGet);
    if (frequencyHz == nullptr) return Fail(kMsgNullParameter, kRoutineGet);
    if (!IsFrequencyIndex(index)) return Fail(kUncMsgFrequencyIndex, kRoutineGet);
    *frequencyHz = results->frequenciesHz[static_cast<std::size_t>(index)];
    return 1;
}

int GetUncertaintyRefl(const UncertaintyInfo* results, int i, int j, float* nominal,
                       float* upperBound, float* phaseDeg) {
    return GetEntry(results, i, j, nominal, upperBound, phaseDeg, kReflection);
}
int GetUncertaintyTrans(const UncertaintyInfo* results, int i, int j, float* nominal,
                        float* upperBound, float* phaseDeg) {
    return GetEntry(results, i, j, nominal, upperBound, phaseDeg, kTransmission);
}

int SetUncertaintyType(UncertaintyInfo* results, int type) {
    if (results == nullptr) return Fail(kMsgNullInfo, kRoutineSet);
    if ((type & (kUncertaintyReflection | kUncertaintyTransmission)) == 0)
        return Fail(kUncMsgType, kRoutineSet);
    results->type = type;
    return 1;
}

int SetUncertaintyNumFreqs(UncertaintyInfo* results, int n) {
    if (results == nullptr) return Fail(kMsgNullInfo, kRoutineSet);
    // More rows than the frequency list holds would leave rows without a frequency.
    if (n <= 0 || n > kMaxUncertaintyFrequencies) return Fail(kUncMsgNumFrequencies, kRoutineSet);
    results->numFreqs = n;
    return 1;
}

int SetUncertaintyNumDUTValues(UncertaintyInfo* results, int n) {
    if (results == nullptr) return Fail(kMsgNullInfo, kRoutineSet);
    if (n <= 0) return Fail(kUncMsgNumDUTValues, kRoutineSet);
    results->numDUTValues = n;
    return 1;
}

int SetUncertaintyFreq(UncertaintyInfo* results, int index, double frequencyHz) {
    if (results == nullptr) return Fail(kMsgNullInfo, kRoutineSet);
    if (!(frequencyHz > 0.0)) return Fail(kUncMsgFrequencyValue, kRoutineSet); // NaN too
    if (!IsFrequencyIndex(index)) return Fail(kUncMsgFrequencyIndex, kRoutineSet);
    results->frequenciesHz[static_cast<std::size_t>(index)] = frequencyHz;
    return 1;
}

int SetUncertaintyRefl(UncertaintyInfo* results, int i, int j, float nominal, float upperBound,
                       float phaseDeg) {
    return SetEntry(results, i, j, nominal, upperBound, phaseDeg, kReflection);
}
int SetUncertaintyTrans(UncertaintyInfo* results, int i, int j, float nominal, float upperBound,
                        float phaseDeg) {
    return SetEntry(results, i, j, nominal, upperBound, phaseDeg, kTransmission);
}

int GetUncertaintyRow(UncertaintyInfo* results, int i, UncertaintyRow* row) {
    if (results == nullptr) return Fail(kMsgNullInfo, kRoutineSet);
    if (row == nullptr) return Fail(kMsgNullParameter, kRoutineSet);
    if (i < 0 || i >= results->numFreqs) return Fail(kUncMsgFrequencyIndex, kRoutineSet);
    if (!ArraysFitCounts(*results)) return Fail(kMsgNullPointer, kRoutineSet);
    const std::size_t start = Position(*results, i, 0);
    const auto width = static_cast<std::size_t>(results->numDUTValues);
    auto slice = [&](BulkArray<float>& array) {
        return std::span<float>(array).subspan(start, width);
    };
    *row = {slice(results->reflNominal),     slice(results->reflUpperBound),
            slice(results->reflPhaseDeg),    slice(results->transNominal),
            slice(results->transUpperBound), slice(results->transPhaseDeg)};
    return 1;
}

std::optional<NonFiniteEntry> FirstNonFiniteEntry(const UncertaintyRow& row, std::size_t count,
                                                  int type) {
    const bool reflection = (type & kUncertaintyReflection) != 0;
    const bool transmission = (type & kUncertaintyTransmission) != 0;
    const auto finite = [](std::span<const float> values, std::size_t j) {
        return std::isfinite(values[j]);
    };
    for (std::size_t j = 0; j < count; ++j) {
        if (reflection && !(finite(row.reflNominal, j) && finite(row.reflUpperBound, j) &&
                            finite(row.reflPhaseDeg, j)))
            return NonFiniteEntry{j, false};
        if (transmission && !(finite(row.transNominal, j) && finite(row.transUpperBound, j) &&
                              finite(row.transPhaseDeg, j)))
            return NonFiniteEntry{j, true};
    }
    return std::nullopt;
}

} // namespace tolvane
