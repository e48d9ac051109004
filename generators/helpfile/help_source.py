"""Reads a help source and the header of help ids, and refuses what the
dialogs and the help file would disagree about or the format cannot hold.

The help source, one topic after another:

    # a comment
    @help-title ZOR Networks Client Help     the file's title and window caption
    @contents CONTENTS                       the topic HELP_CONTENTS shows

    @topic IDH_USER_NAME                     context name; IDH_ names take their
    @title User name                         number from the header
    @keywords user name; logging on          ';' between keywords (the Index)
    @heading A paragraph in bold

    Text. Lines join into one paragraph until a blank line; {the text of a
    jump|TARGET} jumps to topic TARGET.

Every refusal names the file and line it is about.
"""
import re

from hlp_format import context_hash

MAX_TITLE = 127
MAX_KEYWORD = 255
MAX_PARAGRAPH = 4000
CONTEXT_NAME = re.compile(r'^[A-Za-z0-9._]{1,255}$')
DEFINE = re.compile(r'^\s*#\s*define\s+(IDH_\w+)\s+(\S+)')
PAIR = re.compile(r'HELP_PAIR\(\s*(\w+)\s*,\s*(\w+)\s*\)')
JUMP = re.compile(r'\{([^{}|]*)\|([^{}|]*)\}')


class SourceError(Exception):
    def __init__(self, path, line, message):
        super().__init__('%s:%d: %s' % (path, line, message))


class HelpIds:
    """The numbered topics of the header and the ids its table uses."""

    def __init__(self):
        self.numbers = {}       # IDH name -> (number, line)
        self.table = []         # (IDH name, line) per pair
        self.path = None


def read_help_ids(path):
    ids = HelpIds()
    ids.path = path
    by_number = {}
    with open(path, encoding='ascii') as header:
        text = header.read()
    # Comments go, their line breaks stay: line numbers remain the file's.
    text = re.sub(r'/\*.*?\*/', lambda c: re.sub(r'[^\n]', ' ', c.group()), text, flags=re.S)
    for number, line in enumerate(text.splitlines(), 1):
        define = DEFINE.match(line)
        if define:
            name, value = define.groups()
            if not value.isdigit() or not 0 < int(value) < 1 << 31:
                raise SourceError(path, number, '%s: %r is not a help id (a positive decimal number)'
                                  % (name, value))
            value = int(value)
            if name in ids.numbers:
                raise SourceError(path, number, '%s is defined twice' % name)
            if value in by_number:
                raise SourceError(path, number, '%s has the number %d of %s'
                                  % (name, value, by_number[value]))
            ids.numbers[name] = (value, number)
            by_number[value] = name
        for _, topic in PAIR.findall(line):
            if topic not in ids.numbers:
                raise SourceError(path, number, '%s in the table is not defined above it' % topic)
            ids.table.append((topic, number))
    if not ids.table:
        raise SourceError(path, 1, 'no HELP_PAIR table found')
    used = {name for name, _ in ids.table}
    for name, (value, number) in ids.numbers.items():
        if name not in used:
            raise SourceError(path, number, '%s (%d) is not used by the table' % (name, value))
    return ids


class SourceTopic:
    def __init__(self, name, line):
        self.name, self.line = name, line
        self.title = None
        self.keywords = []
        self.paragraphs = []    # (style, runs, line); style 'heading' or 'body'


class HelpSource:
    def __init__(self):
        self.title = None
        self.contents = None
        self.topics = []
        self.path = None


def encode(path, line, text, what):
    """Text as the file holds it: Windows-1252, no control characters."""
    for ch in text:
        if ord(ch) < 0x20 or ch == '\x7f':
            raise SourceError(path, line, '%s: control character %r cannot be shown' % (what, ch))
    try:
        return text.encode('cp1252')
    except UnicodeEncodeError as error:
        raise SourceError(path, line, '%s: %r has no place in the Windows character set (cp1252)'
                          % (what, error.object[error.start:error.end]))


def parse_runs(path, line, text):
    runs, at = [], 0
    for jump in JUMP.finditer(text):
        if jump.start() > at:
            runs.append(('text', text[at:jump.start()]))
        label, target = jump.group(1).strip(), jump.group(2).strip()
        if not label or not target:
            raise SourceError(path, line, 'a jump needs its text and its target: {text|TARGET}')
        runs.append(('jump', label, target))
        at = jump.end()
    runs.append(('text', text[at:]))
    for run in runs:
        if run[0] == 'text' and any(ch in run[1] for ch in '{}|'):
            raise SourceError(path, line, "'{', '}' and '|' only make jumps: {text|TARGET}")
    return [run for run in runs if run[0] == 'jump' or run[1]]


def read_help_source(path):
    source = HelpSource()
    source.path = path
    topic = None
    lines, first = [], None

    def end_paragraph(style='body'):
        nonlocal lines, first
        if lines:
            text = ' '.join(lines)
            if topic is None:
                raise SourceError(path, first, 'text before the first @topic')
            topic.paragraphs.append((style, parse_runs(path, first, text), first))
        lines, first = [], None

    with open(path, encoding='utf-8') as text:
        for number, raw in enumerate(text, 1):
            line = raw.rstrip('\n').strip()
            if line.startswith('#'):
                continue
            if not line:
                end_paragraph()
                continue
            if not line.startswith('@'):
                if first is None:
                    first = number
                lines.append(line)
                continue
            end_paragraph()
            word, _, rest = line.partition(' ')
            rest = rest.strip()
            if word == '@help-title':
                source.title = (rest, number)
            elif word == '@contents':
                source.contents = (rest, number)
            elif word == '@topic':
                if not CONTEXT_NAME.match(rest):
                    raise SourceError(path, number, "topic name %r: letters, digits, '.' and '_' only" % rest)
                topic = SourceTopic(rest, number)
                source.topics.append(topic)
            elif topic is None:
                raise SourceError(path, number, '%s before the first @topic' % word)
            elif word == '@title':
                topic.title = (rest, number)
            elif word == '@keywords':
                topic.keywords.extend((k.strip(), number) for k in rest.split(';') if k.strip())
            elif word == '@heading':
                lines, first = [rest], number
                end_paragraph('heading')
            else:
                raise SourceError(path, number, 'unknown directive %s' % word)
        end_paragraph()
    if source.title is None:
        raise SourceError(path, 1, 'no @help-title')
    if source.contents is None:
        raise SourceError(path, 1, 'no @contents')
    return source


def check(source, ids):
    """Everything the writer relies on, checked: topics, jumps, ids, texts."""
    path = source.path
    names, hashes = {}, {}
    for topic in source.topics:
        if topic.name in names:
            raise SourceError(path, topic.line, 'topic %s is already defined on line %d'
                              % (topic.name, names[topic.name].line))
        value = context_hash(topic.name)
        if value == 0:
            raise SourceError(path, topic.line, 'topic %s hashes to 0, which a reader takes for the '
                              'contents topic; rename it' % topic.name)
        if value in hashes:
            raise SourceError(path, topic.line, 'topic %s hashes like %s; rename one'
                              % (topic.name, hashes[value]))
        names[topic.name], hashes[value] = topic, topic.name
        if topic.name.startswith('IDH_') and topic.name not in ids.numbers:
            raise SourceError(path, topic.line, '%s is not a help id of %s' % (topic.name, ids.path))
        if topic.title is None:
            raise SourceError(path, topic.line, 'topic %s has no @title' % topic.name)
        title, line = topic.title
        if not title or len(encode(path, line, title, 'title')) > MAX_TITLE:
            raise SourceError(path, line, 'a title has 1 to %d characters' % MAX_TITLE)
        if not topic.paragraphs:
            raise SourceError(path, topic.line, 'topic %s has no text' % topic.name)
        seen = set()
        for keyword, line in topic.keywords:
            if len(encode(path, line, keyword, 'keyword')) > MAX_KEYWORD:
                raise SourceError(path, line, 'a keyword has at most %d characters' % MAX_KEYWORD)
            if keyword.lower() in seen:
                raise SourceError(path, line, 'keyword %r twice in one topic' % keyword)
            seen.add(keyword.lower())
    for topic in source.topics:
        for _, runs, line in topic.paragraphs:
            size = 0
            for run in runs:
                size += len(encode(path, line, run[1], 'text'))
                if run[0] == 'jump' and run[2] not in names:
                    raise SourceError(path, line, 'jump to %s, which is no topic' % run[2])
            if size > MAX_PARAGRAPH:
                raise SourceError(path, line, 'a paragraph has at most %d characters' % MAX_PARAGRAPH)
    contents, line = source.contents
    if contents not in names:
        raise SourceError(path, line, '@contents names %s, which is no topic' % contents)
    for name, line in ids.table:
        if name not in names:
            raise SourceError(ids.path, line, '%s (%d) is in the table but %s has no topic for it'
                              % (name, ids.numbers[name][0], path))
    title, line = source.title
    if not title or len(encode(path, line, title, 'title')) > 50:
        raise SourceError(path, line, 'the help title is also the window caption: 1 to 50 characters')


def plain_text(runs):
    return ''.join(run[1] for run in runs)
