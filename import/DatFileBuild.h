#pragma once

#include "CString.h"

#include "waveform/DatFileEncoder.h"

#include <mmsystem.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class CWavReader;
class IOpProgress;

// The DAT values and the peak of the samples a decoder writes, taken while it
// writes them, in the blocks createDatFile reads: the DAT step then writes
// them as it would have, block by block, without reading the file back.
class CDatBlocks {
public:
    void start(const WAVEFORMATEX& format);
    // Sample bytes as they go to the file.
    void add(const BYTE* data, UINT length);
    // The file is complete: the last, shorter block.
    void finish();
    // Whether the blocks stand for a file of this format and data size.
    bool covers(const WAVEFORMATEX& format, DWORD dataSize) const;

    struct Block {
        UINT bytes;      // sample bytes
        size_t valueEnd; // end of its values in values()
        int peak;
    };
    const std::vector<Block>& blocks() const { return m_blocks; }
    const std::vector<signed char>& values() const { return m_values; }

private:
    void take(const BYTE* data, UINT length);

    WAVEFORMATEX m_format{};
    std::optional<CDatSampler> m_sampler;
    UINT m_blockSize = 0;
    std::unique_ptr<BYTE[]> m_partial;
    UINT m_partialCount = 0;
    std::vector<Block> m_blocks;
    std::vector<signed char> m_values;
    uint64_t m_bytes = 0;
    bool m_finished = false;
};

// Largest absolute sample of a 16-bit buffer (first two channels); 0 for
// other widths and for an empty buffer.
int computePeak(const BYTE* samples, UINT byteCount, const WAVEFORMATEX& format);

// Builds baseName + ".dat" from the reader's samples and measures the peak,
// from the blocks measured while the file was written when they cover it,
// else reading the samples on that many threads (the file is the same with
// any number). Returns a StepResult; a failed or cancelled build deletes its
// file.
int createDatFile(CWavReader* reader, const wchar_t* baseName, IOpProgress* progress, int& peak,
                  CString& errorText, const CDatBlocks* measured = nullptr, unsigned threads = 1);
