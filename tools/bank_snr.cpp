#include "tools/bank_snr.h"

#include <cmath>
#include <limits>

#include "common/trace.h"
#include "dpx/companding.h"
#include "eii/bank.h"
#include "eii/image.h"

StatusRecord DecodeBankSamples(const char* path, std::vector<int32_t>* values) {
    const int8_t trace = 0;
    ImageOverview overview{};
    ImageContents contents{nullptr, 0};
    overview.Contents = &contents;
    BankBasicDetails* header = InitBankBasicDetails(trace, kContextNumber, kPassThroughByte, nullptr);
    Bank* bank = InitBank(trace, kContextNumber, kPassThroughByte);
    StatusRecord status = ValidateImage(trace, path, &overview, header, 1);
    if (status.code == 0 && overview.ValidationResult != kUsableEmuImage)
        status = MakeStatus(1, 'E', "%s is not an EII file (RC %d).", path, overview.ValidationResult);
    if (status.code == 0) status = GetBankDetails(trace, overview, *header, bank);
    InitCompandingTable();
    for (const SampleOverview* sample = bank->Samples; status.code == 0 && sample != nullptr;
         sample = sample->next) {
        std::vector<uint8_t> bytes(static_cast<size_t>(sample->SampleEnd - sample->SampleStart), 0);
        status = ReadImageData(trace, overview, sample->SampleStart, sample->SampleEnd - 1, bytes.data());
        int32_t running = 0;
        for (uint8_t byte : bytes) {
            running = DecodeCompandedSample(trace, running, byte);
            values->push_back(running);
        }
    }
    FreeBankMem(trace, kContextNumber, kPassThroughByte, bank);
    FreeBankBasicDetailsMem(trace, kContextNumber, kPassThroughByte, header);
    delete header;
    FreeImageContentsMem(&contents);
    return status;
}

double SignalToNoiseDb(const std::vector<int32_t>& reference, const std::vector<int32_t>& test) {
    double signal = 0.0;
    double noise = 0.0;
    for (size_t index = 0; index < reference.size() && index < test.size(); ++index) {
        const double wanted = reference[index];
        const double difference = wanted - test[index];
        signal += wanted * wanted;
        noise += difference * difference;
    }
    if (noise == 0.0) return std::numeric_limits<double>::infinity();
    return 10.0 * std::log10(signal / noise);
}
