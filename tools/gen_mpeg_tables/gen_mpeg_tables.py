#!/usr/bin/env python3
"""Writes mpeg/standard_tables.cpp, the decoder's constant tables of
ISO/IEC 11172-3 and ISO/IEC 13818-3, from the checked plain-text table data.

Usage: gen_mpeg_tables.py TABLE_DIR OUTPUT_CPP

TABLE_DIR holds huffman.txt, sfb.txt, sf_partitions.txt, pretab.txt,
rates.txt, window.txt, layer2_alloc.txt and layer2_table_choice.txt. The
output is committed; the build never runs this script.
"""

import os
import sys


def data_lines(path):
    with open(path) as f:
        for line in f:
            line = line.strip()
            if line and not line.startswith('#'):
                yield line.split()


def fail(message):
    sys.exit('gen_mpeg_tables: ' + message)


def read_rates(folder):
    rates = {}
    bitrates = {}
    for w in data_lines(os.path.join(folder, 'rates.txt')):
        if w[0] == 'samplerate':
            rates[w[1]] = [int(v) for v in w[2:5]]
        elif w[0] == 'bitrate':
            bitrates[(w[1], w[2])] = [int(v) for v in w[3:18]]
    version_names = ['mpeg1', 'mpeg2', 'mpeg2.5']
    sample_rates = [rates[v] + [0] for v in version_names]
    # Rows 3 * version + layer - 4. Layer I is not in the encoder data: its
    # MPEG-1 rates are 32 kbit/s times the index, and the low-sampling-
    # frequency row is the one the decoder's interface fixes.
    layer1_mpeg1 = [32 * i for i in range(15)]
    layer1_lsf = [0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256]
    rows = []
    for version in ['mpeg1', 'mpeg2', 'mpeg2.5']:
        lsf = 'mpeg1' if version == 'mpeg1' else 'mpeg2'
        rows.append((layer1_mpeg1 if lsf == 'mpeg1' else layer1_lsf) + [0])
        rows.append(bitrates[('layer2', lsf)] + [0])
        rows.append(bitrates[('layer3', lsf)] + [0])
    return sample_rates, rows


def read_bands(folder):
    bands = {}
    for w in data_lines(os.path.join(folder, 'sfb.txt')):
        bands[(int(w[0]), w[1])] = [int(v) for v in w[2:]]
    order = [44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000, 8000]
    result = []
    for rate in order:
        long_b, short_b = bands[(rate, 'long')], bands[(rate, 'short')]
        if len(long_b) != 23 or long_b[-1] != 576 or len(short_b) != 14 or short_b[-1] != 192:
            fail('bad band table for %d Hz' % rate)
        result.append((rate, long_b, short_b))
    return result


def read_huffman(folder):
    tables = {}
    count1 = {}
    current = None
    for w in data_lines(os.path.join(folder, 'huffman.txt')):
        if w[0] == 'table':
            number = int(w[1])
            if w[2] == 'unused':
                tables[number] = {'kind': 'unused'}
                current = None
            elif w[-1] == 'zero':
                tables[number] = {'kind': 'zero'}
                current = None
            elif w[-2] == 'same-codes-as':
                tables[number] = {'kind': 'shared', 'dim': int(w[3]), 'linbits': int(w[5]), 'codes_of': int(w[-1])}
                current = None
            else:
                dim = int(w[3])
                current = {'kind': 'codes', 'dim': dim, 'linbits': int(w[5]), 'entries': {}}
                tables[number] = current
        elif w[0] == 'count1':
            current = {'kind': 'count1', 'entries': {}}
            count1[w[1]] = current
        elif current is not None and current['kind'] == 'codes':
            x, y, length, code = int(w[0]), int(w[1]), int(w[2]), w[3]
            if len(code) != length:
                fail('code length mismatch')
            current['entries'][(x, y)] = code
        elif current is not None and current['kind'] == 'count1':
            v, ww, x, y, length, code = int(w[0]), int(w[1]), int(w[2]), int(w[3]), int(w[4]), w[5]
            if len(code) != length:
                fail('code length mismatch')
            current['entries'][(v, ww, x, y)] = code
    if sorted(tables) != list(range(32)) or sorted(count1) != ['A', 'B']:
        fail('huffman.txt incomplete')
    return tables, count1


def read_partitions(folder):
    partitions = [[None] * 3 for _ in range(6)]
    slen = [None] * 16
    kinds = {'long': 0, 'short': 1, 'mixed': 2}
    for w in data_lines(os.path.join(folder, 'sf_partitions.txt')):
        if w[0] == 'partition':
            partitions[int(w[1])][kinds[w[2]]] = [int(v) for v in w[3:7]]
        elif w[0] == 'slen':
            slen[int(w[1])] = [int(w[2]), int(w[3])]
    return partitions, slen


def read_pretab(folder):
    pretab = groups = None
    for w in data_lines(os.path.join(folder, 'pretab.txt')):
        if w[0] == 'pretab':
            pretab = [int(v) for v in w[1:]]
        elif w[0] == 'scfsi_groups':
            groups = [int(v) for v in w[1:]]
    if len(pretab) != 21 or len(groups) != 5:
        fail('pretab.txt malformed')
    return pretab + [0], groups


def read_window(folder):
    k = [None] * 512
    for w in data_lines(os.path.join(folder, 'window.txt')):
        k[int(w[0])] = int(w[2])
    if None in k:
        fail('window.txt incomplete')
    return k


def read_layer2(folder):
    tables = []
    classes = []
    current = None
    for w in data_lines(os.path.join(folder, 'layer2_alloc.txt')):
        if w[0] == 'table':
            current = {'name': w[1], 'sblimit': int(w[3]), 'rows': []}
            tables.append(current)
        elif w[0] == 'class':
            classes.append((int(w[1]), int(w[2]), w[3] == 'G'))
        else:
            current['rows'].append((int(w[1]), w[2:]))
    class_index = {'%d/%d/%s' % (lv, bits, 'G' if g else 'U'): i for i, (lv, bits, g) in enumerate(classes)}
    result = []
    for t in tables:
        if len(t['rows']) != t['sblimit']:
            fail('allocation table %s has %d rows' % (t['name'], len(t['rows'])))
        nbal = []
        alloc = []
        for nb, cls in t['rows']:
            if len(cls) != (1 << nb) - 1:
                fail('allocation row length')
            nbal.append(nb)
            alloc.append([-1] + [class_index[c] for c in cls] + [-1] * (16 - 1 - len(cls)))
        result.append((t['name'], t['sblimit'], nbal, alloc))
    choice = {}
    for w in data_lines(os.path.join(folder, 'layer2_table_choice.txt')):
        choice[(w[0], int(w[1]))] = [-1 if v == 'x' else int(v) for v in w[2:18]]
    return classes, result, choice


def c_list(values, per_line=16, indent='    '):
    values = [str(v) for v in values]
    lines = []
    for i in range(0, len(values), per_line):
        lines.append(indent + ', '.join(values[i:i + per_line]) + ',')
    return '\n'.join(lines)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    folder, output = sys.argv[1], sys.argv[2]
    sample_rates, bitrate_rows = read_rates(folder)
    bands = read_bands(folder)
    huffman, count1 = read_huffman(folder)
    partitions, slen = read_partitions(folder)
    pretab, groups = read_pretab(folder)
    window = read_window(folder)
    classes, alloc_tables, choice = read_layer2(folder)

    out = []
    emit = out.append
    emit('// GENERATED by tools/gen_mpeg_tables/gen_mpeg_tables.py from the table data of')
    emit('// ISO/IEC 11172-3 and ISO/IEC 13818-3. Do not edit; rerun the generator.')
    emit('//')
    emit('// The decoder\'s constant tables: bit and sampling rates, scale-factor bands,')
    emit('// Layer III Huffman codes, pre-emphasis and scale-factor bit counts, the')
    emit('// synthesis window and the Layer II allocation tables.')
    emit('#include "mpeg/standard_tables.h"')
    emit('')
    emit('namespace mpeg {')
    emit('')
    emit('const std::int32_t kSampleRateHz[3][4] = {')
    for row in sample_rates:
        emit('    {%s},' % ', '.join(str(v) for v in row))
    emit('};')
    emit('')
    emit('const std::int16_t kBitrateKbps[9][16] = {')
    for row in bitrate_rows:
        emit('    {%s},' % ', '.join(str(v) for v in row))
    emit('};')
    emit('')
    emit('const ScaleFactorBands kScaleFactorBands[9] = {')
    for rate, long_b, short_b in bands:
        emit('    {%d, {%s},' % (rate, ', '.join(str(v) for v in long_b)))
        emit('     {%s}},' % ', '.join(str(v) for v in short_b))
    emit('};')
    emit('')

    # Huffman code tables, x outer and y inner; codes are MSB-first.
    code_arrays = {}
    for number in range(32):
        t = huffman[number]
        if t['kind'] != 'codes':
            continue
        dim = t['dim']
        name = 'kHuffmanCodes%d' % number
        code_arrays[number] = name
        emit('static const HuffmanCodeword %s[%d] = {' % (name, dim * dim))
        words = []
        for x in range(dim):
            for y in range(dim):
                code = t['entries'][(x, y)]
                words.append('{%d, 0x%x}' % (len(code), int(code, 2)))
        emit(c_list(words, 8))
        emit('};')
    emit('')
    emit('const HuffmanTable kHuffmanTables[32] = {')
    for number in range(32):
        t = huffman[number]
        if t['kind'] == 'unused':
            emit('    {%d, -1, 0, nullptr},' % number)
        elif t['kind'] == 'zero':
            emit('    {%d, 0, 0, nullptr},' % number)
        elif t['kind'] == 'shared':
            emit('    {%d, %d, %d, %s},' % (number, t['dim'], t['linbits'], code_arrays[t['codes_of']]))
        else:
            emit('    {%d, %d, %d, %s},' % (number, t['dim'], t['linbits'], code_arrays[number]))
    emit('};')
    emit('')
    emit('const HuffmanCodeword kCount1Codes[2][16] = {')
    for name in ['A', 'B']:
        words = []
        for index in range(16):
            key = ((index >> 3) & 1, (index >> 2) & 1, (index >> 1) & 1, index & 1)
            code = count1[name]['entries'][key]
            words.append('{%d, 0x%x}' % (len(code), int(code, 2)))
        emit('    {' + ', '.join(words) + '},')
    emit('};')
    emit('')
    emit('const std::uint8_t kPretab[22] = {%s};' % ', '.join(str(v) for v in pretab))
    emit('const std::uint8_t kScfsiBandStart[5] = {%s};' % ', '.join(str(v) for v in groups))
    emit('const std::uint8_t kSlen[16][2] = {%s};' % ', '.join('{%d, %d}' % tuple(s) for s in slen))
    emit('const std::uint8_t kLsfPartitionCounts[6][3][4] = {')
    for table in partitions:
        emit('    {%s},' % ', '.join('{%s}' % ', '.join(str(v) for v in block) for block in table))
    emit('};')
    emit('')
    emit('const std::int32_t kSynthesisWindowTimes65536[512] = {')
    emit(c_list(window, 16))
    emit('};')
    emit('')
    emit('const Layer2Class kLayer2Classes[17] = {')
    emit(c_list(['{%d, %d, %d}' % (lv, bits, 1 if g else 0) for lv, bits, g in classes], 6))
    emit('};')
    emit('')
    emit('const Layer2AllocationTable kLayer2AllocationTables[5] = {')
    for name, sblimit, nbal, alloc in alloc_tables:
        emit('    // %s' % name)
        emit('    {%d,' % sblimit)
        emit('     {%s},' % ', '.join(str(v) for v in nbal + [0] * (32 - len(nbal))))
        emit('     {')
        for row in alloc + [[-1] * 16] * (32 - len(alloc)):
            emit('         {%s},' % ', '.join(str(v) for v in row))
        emit('     }},')
    emit('};')
    emit('')
    emit('const std::int8_t kLayer2TableChoice[4][3][16] = {')
    for mode in ['stereo', 'joint', 'dual', 'mono']:
        rows = ['{%s}' % ', '.join(str(v) for v in choice[(mode, rate)]) for rate in (44100, 48000, 32000)]
        emit('    {%s},' % ', '.join(rows))
    emit('};')
    emit('')
    emit('}  // namespace mpeg')
    with open(output, 'w') as f:
        f.write('\n'.join(out) + '\n')


if __name__ == '__main__':
    main()
