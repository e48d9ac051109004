"""The bytes of a WinHelp file: what Windows 95's WinHelp 4.0 and Wine's
help viewer read.

A help file is a small file system: a 16-byte header, internal files each
behind a 9-byte file header, and a directory of those files kept as a B+ tree.
The internal files written here:

  |SYSTEM    version, title, contents topic, the main window's caption
  |TOPIC     topic headers and paragraphs, in LZ77-compressed 4 KB blocks
  |FONT      the two fonts the paragraphs use
  |CONTEXT   B+ tree: hash of each topic's context name -> topic offset (jumps)
  |CTXOMAP   numeric help id -> topic offset (HELP_CONTEXT, HELP_WM_HELP, ...)
  |TTLBTREE  B+ tree: topic offset -> title (history, search results)
  |KWBTREE   B+ tree: keyword -> count and place in |KWDATA (the Index)
  |KWDATA    topic offsets of the keywords
  |KWMAP     first keyword of each |KWBTREE leaf page

Version 1.21 (the Windows 3.1 layout, which WinHelp 4.0 reads like every help
file of its time) with flags 4: topic blocks of 4 KB whose data is LZ77
compressed into a 16 KB window. Compressed blocks are chosen over plain ones
because a position in |TOPIC (a TOPICPOS) counts 16 KB per block only when
the blocks are compressed; Wine's reader counts 16 KB per block whatever the
flags say, so with plain blocks the two readers would disagree about every
position past the first block.

Nothing here depends on the time or the place of the build: the same input
gives the same bytes.
"""
import struct

FILE_MAGIC = 0x00035F3F
SYSTEM_MAGIC = 0x036C
BTREE_MAGIC = 0x293B
VERSION_MINOR = 21
VERSION_MAJOR = 1
FLAGS_LZ77_4K = 4

TOPIC_BLOCK_SIZE = 4096
BLOCK_HEADER_SIZE = 12              # LastTopicLink, FirstTopicLink, LastTopicHeader
BLOCK_DATA_SIZE = TOPIC_BLOCK_SIZE - BLOCK_HEADER_SIZE
DECOMPRESS_SIZE = 0x4000            # one block's data once expanded
TOPICLINK_SIZE = 21
NONE = 0xFFFFFFFF                   # "no such position" in every table

RECORD_TOPIC_HEADER = 0x02
RECORD_DISPLAY = 0x20

# Formatting commands inside a paragraph.
CMD_FONT = 0x80
CMD_END_PARAGRAPH = 0x82
CMD_END_HOTSPOT = 0x89
CMD_JUMP = 0xE3                     # topic jump, drawn green and underlined
CMD_END = 0xFF

FAMILY_SWISS = 3
FACE_NAME_SIZE = 20


class FormatError(Exception):
    """The content does not fit the format (a value out of range, a table
    larger than its page)."""


def u16(value):
    return struct.pack('<H', value)


def u32(value):
    return struct.pack('<I', value & 0xFFFFFFFF)


def context_hash(name):
    """The hash WinHelp files topics under: only 0-9, A-Z, a-z, '.' and '_'
    count, letters without case."""
    value = 0
    for ch in name:
        if 'A' <= ch <= 'Z' or 'a' <= ch <= 'z':
            digit = ord(ch.upper()) - ord('A') + 17
        elif '1' <= ch <= '9':
            digit = ord(ch) - ord('0')
        elif ch == '0':
            digit = 10
        elif ch == '.':
            digit = 12
        elif ch == '_':
            digit = 13
        else:
            raise FormatError("context name %r: only letters, digits, '.' and '_' can be hashed" % name)
        value = (value * 43 + digit) & 0xFFFFFFFF
    return value - (1 << 32) if value & 0x80000000 else value


# --- Compressed numbers of a paragraph's formatting -----------------------

def compressed_ushort(value):
    if 0 <= value < 0x80:
        return bytes([value * 2])
    if value < 0x8000:
        return u16(value * 2 + 1)
    raise FormatError("%d does not fit a compressed unsigned short" % value)


def compressed_short(value):
    if -0x40 <= value < 0x40:
        return bytes([(value + 0x40) * 2])
    if -0x4000 <= value < 0x4000:
        return u16((value + 0x4000) * 2 + 1)
    raise FormatError("%d does not fit a compressed short" % value)


def compressed_long(value):
    # Only the two-byte form: both readers agree on it, and no paragraph
    # written here comes near 16 KB.
    if -0x4000 <= value < 0x4000:
        return u16((value + 0x4000) * 2)
    raise FormatError("%d does not fit a two-byte compressed long" % value)


# --- LZ77 -----------------------------------------------------------------

WINDOW = 4096
MIN_MATCH, MAX_MATCH = 3, 18


def lz77_compress(data):
    """Groups of eight items behind a flag byte (bit set: a match). A match is
    a 16-bit word: 12 bits distance - 1, 4 bits length - 3; it may overlap the
    bytes it produces. Greedy longest match over the last 4 KB."""
    out = bytearray()
    chains = {}
    pos = 0
    flags_at = None
    item = 8
    while pos < len(data):
        if item == 8:
            flags_at = len(out)
            out.append(0)
            item = 0
        best_len, best_dist = 0, 0
        key = bytes(data[pos:pos + MIN_MATCH])
        if len(key) == MIN_MATCH:
            for start in reversed(chains.get(key, ())):
                dist = pos - start
                if dist > WINDOW:
                    break
                length = 0
                while (length < MAX_MATCH and pos + length < len(data)
                       and data[start + length] == data[pos + length]):
                    length += 1
                if length > best_len:
                    best_len, best_dist = length, dist
                    if length == MAX_MATCH:
                        break
        step = best_len if best_len >= MIN_MATCH else 1
        for at in range(pos, pos + step):
            chains.setdefault(bytes(data[at:at + MIN_MATCH]), []).append(at)
        if best_len >= MIN_MATCH:
            out[flags_at] |= 1 << item
            out += u16(((best_len - MIN_MATCH) << 12) | (best_dist - 1))
        else:
            out.append(data[pos])
        pos += step
        item += 1
    return bytes(out)


def lz77_expand(data):
    """The reverse of lz77_compress, as both readers do it."""
    out = bytearray()
    pos = 0
    while pos < len(data):
        flags = data[pos]
        pos += 1
        for bit in range(8):
            if pos >= len(data):
                break
            if flags & (1 << bit):
                code = data[pos] | data[pos + 1] << 8
                pos += 2
                start = len(out) - (code & 0xFFF) - 1
                for i in range(3 + (code >> 12)):
                    out.append(out[start + i])
            else:
                out.append(data[pos])
                pos += 1
    return bytes(out)


# --- B+ trees ---------------------------------------------------------------

def btree(what, entries, page_size, structure, flags=0x0002):
    """A B+ tree of one leaf page (the root): every table here is small.
    entries are the leaf entries' bytes, already in the tree's order; what
    names them for a refusal."""
    body = b''.join(entries)
    if 8 + len(body) > page_size:
        raise FormatError("%d %s (%d bytes) do not fit the one %d-byte page of their table"
                          % (len(entries), what, len(body), page_size))
    header = struct.pack('<HHH16shhhhhhi', BTREE_MAGIC, flags, page_size,
                         structure.encode('ascii'), 0, 0, 0, -1, 1, 1, len(entries))
    page = struct.pack('<Hhhh', page_size - 8 - len(body), len(entries), -1, -1) + body
    return header + page + bytes(page_size - len(page))


# --- Topics -----------------------------------------------------------------

class Paragraph:
    """runs: ('text', bytes) and ('jump', bytes, target hash); font: index
    into the fonts; space_before: half points above the paragraph."""

    def __init__(self, runs, font=0, space_before=0):
        self.runs, self.font, self.space_before = runs, font, space_before


class Topic:
    def __init__(self, title, paragraphs):
        self.title, self.paragraphs = title, paragraphs


def paragraph_link(paragraph):
    """LinkData1 and LinkData2 of one paragraph record. Every command in
    LinkData1 follows one NUL-terminated string of LinkData2 (often empty),
    the closing 0xFF included."""
    strings, commands = [b''], [bytes([CMD_FONT]) + u16(paragraph.font)]
    current = b''
    for run in paragraph.runs:
        if run[0] == 'text':
            current += run[1]
        else:
            _, text, target = run
            strings.append(current)
            commands.append(bytes([CMD_JUMP]) + u32(target))
            strings.append(text)
            commands.append(bytes([CMD_END_HOTSPOT]))
            current = b''
    strings.append(current)
    commands.append(bytes([CMD_END_PARAGRAPH]))
    strings.append(b'')
    commands.append(bytes([CMD_END]))
    text = b''.join(s + b'\0' for s in strings)

    bits, fields = 0, b''
    if paragraph.space_before:
        bits |= 0x0002
        fields += compressed_short(paragraph.space_before)
    # TopicSize and TopicLength: the expanded text, which is also what a topic
    # offset counts for this paragraph (every character and every NUL).
    data1 = (compressed_long(len(text)) + compressed_ushort(len(text))
             + bytes([0x00, 0x80]) + u16(0) + u16(bits) + fields + b''.join(commands))
    return data1, text


class Link:
    def __init__(self, record_type, data1, data2, topic=None):
        self.record_type, self.data1, self.data2 = record_type, data1, data2
        self.topic = topic              # index of the topic a header link opens
        self.pos = None                 # TOPICPOS once placed
        self.block = None
        self.char_offset = None         # characters before it in its block

    @property
    def size(self):
        return TOPICLINK_SIZE + len(self.data1) + len(self.data2)

    @property
    def topic_length(self):
        return len(self.data2) if self.record_type == RECORD_DISPLAY else 0

    def topic_offset(self):
        return self.block * 0x8000 + self.char_offset


def topic_links(topics):
    links = []
    for number, topic in enumerate(topics):
        # The header's 28 bytes are filled in once every link has its place.
        links.append(Link(RECORD_TOPIC_HEADER, bytes(28), topic.title + b'\0', topic=number))
        for paragraph in topic.paragraphs:
            data1, data2 = paragraph_link(paragraph)
            links.append(Link(RECORD_DISPLAY, data1, data2))
    return links


def link_bytes(link, prev_pos, next_pos):
    return (struct.pack('<IIIIIB', link.size, len(link.data2), prev_pos, next_pos,
                        TOPICLINK_SIZE + len(link.data1), link.record_type)
            + link.data1 + link.data2)


def fill_topic_headers(links):
    headers = [i for i, link in enumerate(links) if link.record_type == RECORD_TOPIC_HEADER]
    for n, at in enumerate(headers):
        end = headers[n + 1] if n + 1 < len(headers) else len(links)
        own = links[at:end]
        next_topic = links[end].pos if end < len(links) else NONE
        scroll = links[at + 1].pos if at + 1 < end else NONE
        links[at].data1 = struct.pack('<IIIIIII', sum(l.size for l in own), NONE, NONE,
                                      links[at].topic, NONE, scroll, next_topic)


def block_data(links, block):
    """The expanded data of one block: its links, each pointing to its
    neighbours (positions not yet known are NONE)."""
    out = b''
    for i, link in enumerate(links):
        if link.block != block:
            continue
        prev_pos = links[i - 1].pos if i > 0 and links[i - 1].pos is not None else NONE
        next_pos = links[i + 1].pos if i + 1 < len(links) and links[i + 1].pos is not None else NONE
        out += link_bytes(link, prev_pos, next_pos)
    return out


def place_links(links, margin):
    """Puts the links into blocks in order, a new block when the next link
    would not fit either the 16 KB window or, compressed, the 4 KB block.
    A link never crosses a block."""
    block, used, chars = 0, 0, 0
    for i, link in enumerate(links):
        if link.size > DECOMPRESS_SIZE:
            raise FormatError("a paragraph of %d bytes is larger than a topic block" % link.size)
        fits = used + link.size <= DECOMPRESS_SIZE
        # Compression never grows data by more than a flag byte in eight, so
        # only a block that might not fit is compressed to find out.
        if fits and used and (used + link.size) * 9 // 8 + 1 > BLOCK_DATA_SIZE - margin:
            link.block, link.pos = block, None
            trial = block_data(links[:i + 1], block)
            fits = len(lz77_compress(trial)) <= BLOCK_DATA_SIZE - margin
        if not fits:
            block, used, chars = block + 1, 0, 0
        link.block = block
        link.pos = block * DECOMPRESS_SIZE + BLOCK_HEADER_SIZE + used
        link.char_offset = chars
        used += link.size
        chars += link.topic_length
    return block + 1


def topic_file(topics):
    """|TOPIC and the topic offset of each topic."""
    links = topic_links(topics)
    for margin in (16, 64, 256, 1024):
        count = place_links(links, margin)
        fill_topic_headers(links)
        blocks = []
        for block in range(count):
            data = lz77_compress(block_data(links, block))
            if len(data) > BLOCK_DATA_SIZE:
                break                    # the final positions compressed worse: more room
            first = next(l for l in links if l.block == block)
            before = [l for l in links if l.block is not None and l.block < block]
            last_link = before[-1].pos if before else NONE
            headers_before = [l for l in before if l.record_type == RECORD_TOPIC_HEADER]
            last_header = headers_before[-1].pos if headers_before else NONE
            header = struct.pack('<III', last_link, first.pos, last_header)
            if block + 1 < count:
                data += bytes(BLOCK_DATA_SIZE - len(data))  # blocks but the last are whole
            else:
                # Wine's reader looks for at least 0x44 bytes in the last
                # block; zeros behind the data expand to zeros nobody reads.
                data += bytes(max(0, 0x44 - BLOCK_HEADER_SIZE - len(data)))
            blocks.append(header + data)
        else:
            offsets = [l.topic_offset() for l in links if l.record_type == RECORD_TOPIC_HEADER]
            return b''.join(blocks), offsets
    raise FormatError("the topics could not be laid out in compressed blocks")


# --- The other internal files ----------------------------------------------

def system_file(title, contents_offset, caption):
    records = b''

    def record(kind, data):
        return u16(kind) + u16(len(data)) + data

    records += record(1, title + b'\0')
    records += record(3, u32(contents_offset))
    # The main window: its name and caption (Type, position, size, colours unset).
    window = (u16(0x0002 | 0x0004) + bytes(10) + b'main'.ljust(9, b'\0')
              + caption.ljust(51, b'\0') + bytes(10) + bytes(8))
    records += record(6, window)
    return struct.pack('<HHHIH', SYSTEM_MAGIC, VERSION_MINOR, VERSION_MAJOR, 0,
                       FLAGS_LZ77_4K) + records


def font_file(face, fonts):
    """fonts: (half points, bold) for each font number."""
    faces = face.ljust(FACE_NAME_SIZE, b'\0')
    descriptors = b''.join(bytes([1 if bold else 0, half_points, FAMILY_SWISS]) + u16(0)
                           + bytes(3) + bytes([255, 255, 255])
                           for half_points, bold in fonts)
    return struct.pack('<HHHH', 1, len(fonts), 8, 8 + len(faces)) + faces + descriptors


def context_file(names_to_offsets):
    entries = sorted((context_hash(name), offset) for name, offset in names_to_offsets)
    return btree('topic names', [struct.pack('<iI', h, offset) for h, offset in entries], 2048, 'L4')


def ctxomap_file(ids_to_offsets):
    entries = sorted(ids_to_offsets)
    return u16(len(entries)) + b''.join(struct.pack('<II', i, o) for i, o in entries)


def title_file(offsets_to_titles):
    entries = sorted(offsets_to_titles)
    return btree('topic titles', [u32(o) + t + b'\0' for o, t in entries], 2048, 'Lz')


def keyword_files(keywords):
    """keywords: keyword -> topic offsets. |KWBTREE in WinHelp's keyword
    order (letters without case), |KWDATA, |KWMAP."""
    entries, data = [], b''
    for keyword in sorted(keywords, key=lambda k: (k.lower(), k)):
        offsets = sorted(keywords[keyword])
        entries.append(keyword + b'\0' + u16(len(offsets)) + u32(len(data)))
        data += b''.join(u32(o) for o in offsets)
    kwmap = u16(1) + struct.pack('<IH', 0, 0)
    return btree('keywords', entries, 2048, 'F24'), data, kwmap


# --- The file system --------------------------------------------------------

def internal_file(content):
    # Reserved space equals the used space: a reader takes the reserved
    # space as the file's end.
    return struct.pack('<IIB', len(content) + 9, len(content), 4) + content


def help_file(files):
    """files: internal name -> content. The internal files follow the
    header in the directory's order, the directory comes last."""
    names = sorted(files, key=lambda n: n.encode('ascii'))
    body, offsets = b'', {}
    for name in names:
        offsets[name] = 16 + len(body)
        body += internal_file(files[name])
    entries = [name.encode('ascii') + b'\0' + u32(offsets[name]) for name in names]
    directory = internal_file(btree('internal files', entries, 1024, 'z4', flags=0x0402))
    directory_start = 16 + len(body)
    total = directory_start + len(directory)
    return struct.pack('<IiiI', FILE_MAGIC, directory_start, -1, total) + body + directory
