// TSqlParser.cpp: recursive-descent parser for the T-SQL subset of the embedded engine.
#include "db/sqlite/TSqlParser.h"

#include <algorithm>
#include <cstdlib>

namespace qiva::db::tsql {
namespace {

struct Failure {};

class Parser {
 public:
  explicit Parser(Batch& b) : b_(b), t_(b.tokens) {}

  bool Run(SyntaxError& error) {
    try {
      while (!AtEnd()) {
        if (Sym(";")) {
          ++pos_;
          continue;
        }
        b_.statements.push_back(ParseStatement());
      }
      return true;
    } catch (const Failure&) {
      error = error_;
      return false;
    }
  }

  bool RunExpression(ExprPtr& expr, SyntaxError& error) {
    try {
      expr = ParseExpr();
      if (!AtEnd()) Fail();
      return true;
    } catch (const Failure&) {
      error = error_;
      return false;
    }
  }

 private:
  // ---- token helpers ----
  const Token& Cur() const { return t_[pos_]; }
  const Token& Peek(size_t k = 1) const { return t_[std::min(pos_ + k, t_.size() - 1)]; }
  bool AtEnd() const { return Cur().kind == TokenKind::End; }
  bool Sym(std::string_view s) const { return Cur().kind == TokenKind::Symbol && Cur().text == s; }
  bool Kw(std::string_view upper) const { return IsWord(Cur(), upper); }
  bool AcceptSym(std::string_view s) {
    if (Sym(s)) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool AcceptKw(std::string_view upper) {
    if (Kw(upper)) {
      ++pos_;
      return true;
    }
    return false;
  }
  void ExpectSym(std::string_view s) {
    if (!AcceptSym(s)) Fail();
  }
  void ExpectKw(std::string_view upper) {
    if (!AcceptKw(upper)) Fail();
  }

  [[noreturn]] void Fail() {
    // SQL Server names the token where the statement stopped making sense (the last one at the
    // end of the text); a string is named by its content.
    error_.number = 102;
    const Token& tok = AtEnd() && pos_ > 0 ? t_[pos_ - 1] : Cur();
    error_.message = "Incorrect syntax near '" + tok.text + "'.";
    throw Failure{};
  }

  // A construct of T-SQL that no statement of this system sends: refused by name rather than
  // run with a meaning of its own, so that a statement relying on it fails visibly.
  [[noreturn]] void Unsupported(const std::string& construct) {
    error_.number = 50000;
    error_.message = construct + " is not supported by the embedded engine.";
    throw Failure{};
  }

  static bool IsReserved(const Token& tok) { return tok.kind == TokenKind::Word && tok.reserved; }

  bool IsName() const {
    return Cur().kind == TokenKind::QuotedName ||
           (Cur().kind == TokenKind::Word && !IsReserved(Cur()));
  }
  std::string Name() {
    if (!IsName()) Fail();
    return t_[pos_++].text;
  }
  // A name in any position where keywords may also stand (constraint and column names).
  std::string AnyName() {
    if (Cur().kind != TokenKind::QuotedName && Cur().kind != TokenKind::Word) Fail();
    return t_[pos_++].text;
  }

  TableRef ParseTableName() {
    TableRef r;
    std::vector<std::string> parts{Name()};
    while (Sym(".")) {
      ++pos_;
      if (Sym(".")) {
        parts.push_back("");
        continue;
      }  // db..table
      parts.push_back(AnyName());
    }
    r.name = parts.back();
    if (parts.size() > 1) r.schema = parts[parts.size() - 2];
    return r;
  }

  void ParseAlias(TableRef& r) {
    if (AcceptKw("AS")) {
      r.alias = Name();
      return;
    }
    if (IsName()) r.alias = Name();
  }

  std::vector<std::string> ParseNameList() {
    std::vector<std::string> names;
    ExpectSym("(");
    do {
      names.push_back(AnyName());
      AcceptKw("ASC") || AcceptKw("DESC");
    } while (AcceptSym(","));
    ExpectSym(")");
    return names;
  }

  void SkipParens() {
    ExpectSym("(");
    int depth = 1;
    while (depth > 0) {
      if (AtEnd()) Fail();
      if (Sym("(")) ++depth;
      if (Sym(")")) --depth;
      ++pos_;
    }
  }

  // WITH (...) | WITH FILLFACTOR = n, and ON [filegroup], after keys and tables.
  void SkipStorageOptions() {
    for (;;) {
      if (Kw("WITH") && Peek().kind == TokenKind::Symbol && Peek().text == "(") {
        ++pos_;
        SkipParens();
      } else if (Kw("WITH") && IsWord(Peek(), "FILLFACTOR")) {
        pos_ += 2;
        ExpectSym("=");
        if (Cur().kind != TokenKind::Number) Fail();
        ++pos_;
      } else if ((Kw("ON") || Kw("TEXTIMAGE_ON")) &&
                 (Peek().kind == TokenKind::QuotedName || Peek().kind == TokenKind::Word) &&
                 !IsReserved(Peek())) {
        pos_ += 2;
      } else if (Kw("ON") && IsWord(Peek(), "PRIMARY")) {
        pos_ += 2;
      } else {
        return;
      }
    }
  }

  SqlTypeName ParseType() {
    SqlTypeName ts;
    if (Cur().kind != TokenKind::QuotedName && Cur().kind != TokenKind::Word) Fail();
    ts.name = ToUpper(t_[pos_++].text);
    if (ts.name == "DOUBLE" && AcceptKw("PRECISION")) ts.name = "FLOAT";
    if (AcceptSym("(")) {
      if (AcceptKw("MAX")) {
        ts.length = -1;
      } else {
        if (Cur().kind != TokenKind::Number) Fail();
        ts.length = std::atoi(t_[pos_++].text.c_str());
        ts.precision = ts.length;
        if (AcceptSym(",")) {
          if (Cur().kind != TokenKind::Number) Fail();
          ts.scale = std::atoi(t_[pos_++].text.c_str());
        }
      }
      ExpectSym(")");
    }
    return ts;
  }

  // ---- expressions ----
  ExprPtr Make(Expr::Kind k) {
    auto e = std::make_unique<Expr>();
    e->kind = k;
    return e;
  }

  ExprPtr ParseExpr() { return ParseOr(); }

  // A left-associative chain of `keyword` between operands read by `operand`.
  ExprPtr ParseKeywordChain(const char* keyword, ExprPtr (Parser::*operand)()) {
    auto left = (this->*operand)();
    while (Kw(keyword)) {
      ++pos_;
      auto e = Make(Expr::Kind::Binary);
      e->name = keyword;
      e->args.push_back(std::move(left));
      e->args.push_back((this->*operand)());
      left = std::move(e);
    }
    return left;
  }

  ExprPtr ParseOr() { return ParseKeywordChain("OR", &Parser::ParseAnd); }
  ExprPtr ParseAnd() { return ParseKeywordChain("AND", &Parser::ParseNot); }

  ExprPtr ParseNot() {
    if (AcceptKw("NOT")) {
      auto e = Make(Expr::Kind::Unary);
      e->name = "NOT";
      e->args.push_back(ParseNot());
      return e;
    }
    return ParseComparison();
  }

  ExprPtr ParseComparison() {
    auto left = ParseAdditive();
    static const char* const kOps[] = {"=", "<>", "!=", "<", ">", "<=", ">=", "!<", "!>"};
    for (const char* op : kOps) {
      if (Sym(op)) {
        ++pos_;
        auto e = Make(Expr::Kind::Binary);
        e->name = op;
        e->args.push_back(std::move(left));
        e->args.push_back(ParseAdditive());
        return e;
      }
    }
    if (Kw("IN") || (Kw("NOT") && IsWord(Peek(), "IN"))) Unsupported("IN");
    if (Kw("LIKE") || (Kw("NOT") && IsWord(Peek(), "LIKE"))) Unsupported("LIKE");
    bool negated = false;
    if (Kw("NOT") && IsWord(Peek(), "BETWEEN")) {
      ++pos_;
      negated = true;
    }
    if (AcceptKw("BETWEEN")) {
      auto e = Make(Expr::Kind::Between);
      e->negated = negated;
      e->args.push_back(std::move(left));
      e->args.push_back(ParseAdditive());
      ExpectKw("AND");
      e->args.push_back(ParseAdditive());
      return e;
    }
    if (negated) Fail();
    if (AcceptKw("IS")) {
      auto e = Make(Expr::Kind::IsNull);
      e->negated = AcceptKw("NOT");
      ExpectKw("NULL");
      e->args.push_back(std::move(left));
      return e;
    }
    return left;
  }

  ExprPtr ParseAdditive() {
    auto left = ParseMultiplicative();
    while (Sym("+") || Sym("-")) {
      auto e = Make(Expr::Kind::Binary);
      e->name = t_[pos_++].text;
      e->args.push_back(std::move(left));
      e->args.push_back(ParseMultiplicative());
      left = std::move(e);
    }
    return left;
  }

  ExprPtr ParseMultiplicative() {
    auto left = ParseUnary();
    while (Sym("*") || Sym("/") || Sym("%")) {
      auto e = Make(Expr::Kind::Binary);
      e->name = t_[pos_++].text;
      e->args.push_back(std::move(left));
      e->args.push_back(ParseUnary());
      left = std::move(e);
    }
    return left;
  }

  ExprPtr ParseUnary() {
    if (Sym("-") || Sym("+")) {
      auto e = Make(Expr::Kind::Unary);
      e->name = t_[pos_++].text;
      e->args.push_back(ParseUnary());
      return e;
    }
    return ParsePrimary();
  }

  ExprPtr Literal() {
    auto e = Make(Expr::Kind::Literal);
    e->isString = Cur().kind == TokenKind::String;
    e->literal = static_cast<int>(b_.literals.size());
    b_.literals.push_back(pos_++);
    return e;
  }

  ExprPtr ParsePrimary() {
    const Token& tok = Cur();
    if (tok.kind == TokenKind::String || tok.kind == TokenKind::Number) return Literal();
    if (AcceptKw("NULL")) return Make(Expr::Kind::Null);
    if (AcceptSym("(")) {
      if (Kw("SELECT")) {
        auto e = Make(Expr::Kind::Subquery);
        e->select = ParseSelectBody();
        ExpectSym(")");
        return e;
      }
      auto inner = ParseExpr();
      ExpectSym(")");
      return inner;
    }
    if (AcceptKw("EXISTS")) {
      auto e = Make(Expr::Kind::Exists);
      ExpectSym("(");
      e->select = ParseSelectBody();
      ExpectSym(")");
      return e;
    }
    if (Kw("CASE")) Unsupported("CASE");
    if (tok.kind == TokenKind::Word && Peek().kind == TokenKind::Symbol && Peek().text == "(")
      return ParseCall();
    if (tok.kind == TokenKind::Word && tok.text.size() > 1 && tok.text[0] == '@' &&
        tok.text[1] != '@') {
      auto e = Make(Expr::Kind::Variable);
      e->name = ToUpper(t_[pos_++].text);
      return e;
    }
    if (IsName()) return ParseColumnRef();
    Fail();
  }

  // name(arguments): CONVERT and CAST read their target type; any other name is a function,
  // known or not (the translation tells).
  ExprPtr ParseCall() {
    const Token& tok = Cur();
    const std::string fn = ToUpper(tok.text);
    if (IsReserved(tok)) Fail();
    pos_ += 2;
    if (fn == "CONVERT") return ParseConvert();
    if (fn == "CAST") {
      auto e = Make(Expr::Kind::Convert);
      e->args.push_back(ParseExpr());
      ExpectKw("AS");
      e->type = ParseType();
      ExpectSym(")");
      return e;
    }
    auto e = Make(Expr::Kind::Func);
    e->name = fn;
    if (Sym("*")) {
      ++pos_;
      e->args.push_back(Make(Expr::Kind::Star));
    } else if (!Sym(")")) {
      if (Kw("DISTINCT")) Unsupported("DISTINCT");
      do e->args.push_back(ParseExpr());
      while (AcceptSym(","));
    }
    ExpectSym(")");
    return e;
  }

  // column, table.column or alias.* (a Star with its qualifier).
  ExprPtr ParseColumnRef() {
    auto e = Make(Expr::Kind::Column);
    e->name = Name();
    while (Sym(".")) {
      ++pos_;
      if (Sym("*")) {
        ++pos_;
        auto star = Make(Expr::Kind::Star);
        star->qualifier = e->name;
        return star;
      }
      e->qualifier = e->name;
      e->name = AnyName();
    }
    return e;
  }

  ExprPtr ParseConvert() {
    auto e = Make(Expr::Kind::Convert);
    e->type = ParseType();
    ExpectSym(",");
    e->args.push_back(ParseExpr());
    if (AcceptSym(",")) {
      if (Cur().kind != TokenKind::Number) Fail();
      e->style = std::atoi(t_[pos_++].text.c_str());
    }
    ExpectSym(")");
    return e;
  }

  // ---- queries ----
  std::unique_ptr<SelectStmt> ParseSelectBody() {
    ExpectKw("SELECT");
    auto s = std::make_unique<SelectStmt>();
    if (Kw("DISTINCT")) Unsupported("DISTINCT");
    AcceptKw("ALL");
    if (Kw("TOP")) Unsupported("TOP");
    do {
      SelectItem item;
      if (AcceptSym("*")) {
        s->items.push_back(std::move(item));
        continue;
      }
      item.expr = ParseExpr();
      if (AcceptKw("AS")) {
        if (Cur().kind == TokenKind::String)
          item.alias = t_[pos_++].text;
        else
          item.alias = AnyName();
      } else if (IsName()) {
        item.alias = Name();
      } else if (Cur().kind == TokenKind::String) {
        item.alias = t_[pos_++].text;
      }
      s->items.push_back(std::move(item));
    } while (AcceptSym(","));
    if (AcceptKw("FROM")) {
      s->hasFrom = true;
      s->from = ParseTableName();
      ParseAlias(s->from);
    }
    if (AcceptKw("WHERE")) s->where = ParseExpr();
    if (Kw("GROUP")) Unsupported("GROUP BY");
    if (Kw("ORDER")) {
      ++pos_;
      ExpectKw("BY");
      do {
        OrderItem o;
        o.expr = ParseExpr();
        if (AcceptKw("DESC"))
          o.descending = true;
        else
          AcceptKw("ASC");
        s->orderBy.push_back(std::move(o));
      } while (AcceptSym(","));
    }
    return s;
  }

  // ---- statements ----
  // A statement begins with its keyword; each kind is read by a function of its own.
  using StatementReader = void (Parser::*)(Statement&);
  struct StatementRule {
    std::string_view keyword;
    StatementReader read;
  };

  StmtPtr ParseStatement() {
    static constexpr StatementRule kStatements[] = {
        {"SELECT", &Parser::ParseSelectStatement},
        {"INSERT", &Parser::ParseInsert},
        {"UPDATE", &Parser::ParseUpdate},
        {"DELETE", &Parser::ParseDelete},
        {"CREATE", &Parser::ParseCreate},
        {"ALTER", &Parser::ParseAlter},
        {"DROP", &Parser::ParseDrop},
        {"EXEC", &Parser::ParseExec},
        {"EXECUTE", &Parser::ParseExec},
        {"DECLARE", &Parser::ParseDeclare},
        {"SET", &Parser::ParseSet},
        {"IF", &Parser::ParseIf},
        {"BEGIN", &Parser::ParseBlock},
        {"PRINT", &Parser::ParsePrint},
    };
    auto st = std::make_unique<Statement>();
    st->firstToken = pos_;
    st->firstLiteral = static_cast<int>(b_.literals.size());
    const Token& tok = Cur();
    if (tok.kind != TokenKind::Word) Fail();
    const std::string kw = ToUpper(tok.text);
    const auto rule = std::find_if(std::begin(kStatements), std::end(kStatements),
                                   [&](const StatementRule& r) { return r.keyword == kw; });
    if (rule == std::end(kStatements)) Fail();
    (this->*rule->read)(*st);
    st->endToken = pos_;
    st->endLiteral = static_cast<int>(b_.literals.size());
    return st;
  }

  void ParseSelectStatement(Statement& st) {
    st.kind = Statement::Kind::Select;
    st.select = ParseSelectBody();
  }

  // DELETE [FROM] table [WHERE condition]
  void ParseDelete(Statement& st) {
    ++pos_;
    st.kind = Statement::Kind::Delete;
    AcceptKw("FROM");
    st.table = ParseTableName();
    if (AcceptKw("WHERE")) st.where = ParseExpr();
  }

  // DROP TABLE [IF EXISTS] table, ...
  void ParseDrop(Statement& st) {
    ++pos_;
    ExpectKw("TABLE");
    st.kind = Statement::Kind::DropTable;
    if (Kw("IF") && IsWord(Peek(), "EXISTS")) {
      pos_ += 2;
      st.ifExists = true;
    }
    do st.tables.push_back(ParseTableName());
    while (AcceptSym(","));
  }

  // SET option value
  void ParseSet(Statement& st) {
    ++pos_;
    st.kind = Statement::Kind::Set;
    st.name = ToUpper(AnyName());
    // The date order is the login language's (us_english: month first) for every connection.
    if (st.name == "DATEFORMAT" || st.name == "LANGUAGE") Unsupported("SET " + st.name);
    if (Sym("-") && Peek().kind == TokenKind::Number) {  // SET LOCK_TIMEOUT -1
      ++pos_;
      st.value = "-" + t_[pos_++].text;
    } else if (Cur().kind == TokenKind::Word || Cur().kind == TokenKind::Number ||
               Cur().kind == TokenKind::QuotedName || Cur().kind == TokenKind::String)
      st.value = t_[pos_++].text;
    else
      Fail();
  }

  // IF condition statement [ELSE statement]
  void ParseIf(Statement& st) {
    ++pos_;
    st.kind = Statement::Kind::If;
    st.condition = ParseExpr();
    st.body.push_back(ParseStatement());
    if (AcceptKw("ELSE")) st.body.push_back(ParseStatement());
  }

  // BEGIN statements END
  void ParseBlock(Statement& st) {
    ++pos_;
    st.kind = Statement::Kind::Block;
    while (!Kw("END")) {
      if (AtEnd()) Fail();
      if (AcceptSym(";")) continue;
      st.body.push_back(ParseStatement());
    }
    ++pos_;
  }

  // PRINT expression: read and not run.
  void ParsePrint(Statement& st) {
    ++pos_;
    st.kind = Statement::Kind::Nothing;
    ParseExpr();
  }

  bool IsVariable() const {
    return Cur().kind == TokenKind::Word && Cur().text.size() > 1 && Cur().text[0] == '@' &&
           Cur().text[1] != '@';
  }
  std::string Variable() {
    if (!IsVariable()) Fail();
    return ToUpper(t_[pos_++].text);
  }

  // EXEC [@status =] name [[@parameter =] value | DEFAULT [OUTPUT], ...]; a value is a literal
  // (a number may carry a sign), NULL or a variable, as SQL Server allows in an EXEC.
  void ParseExec(Statement& st) {
    ++pos_;
    st.kind = Statement::Kind::Exec;
    if (IsVariable() && Peek().kind == TokenKind::Symbol && Peek().text == "=") {
      st.returnVariable = Variable();
      ++pos_;
    }
    st.name = ParseTableName().name;
    if (AtEnd() || Sym(";") ||
        (Cur().kind == TokenKind::Word && IsReserved(Cur()) && !Kw("DEFAULT") && !Kw("NULL")))
      return;
    do {
      ExecArg arg;
      if (IsVariable() && Peek().kind == TokenKind::Symbol && Peek().text == "=") {
        arg.name = Variable();
        ++pos_;
      }
      if (!AcceptKw("DEFAULT")) arg.value = ParseExecValue();
      AcceptKw("OUTPUT") || AcceptKw("OUT");
      st.execArgs.push_back(std::move(arg));
    } while (AcceptSym(","));
  }

  ExprPtr ParseExecValue() {
    if (AcceptKw("NULL")) return Make(Expr::Kind::Null);
    if (IsVariable()) {
      auto e = Make(Expr::Kind::Variable);
      e->name = Variable();
      return e;
    }
    if ((Sym("-") || Sym("+")) && Peek().kind == TokenKind::Number) {
      auto e = Make(Expr::Kind::Unary);
      e->name = t_[pos_++].text;
      e->args.push_back(Literal());
      return e;
    }
    if (Cur().kind == TokenKind::String || Cur().kind == TokenKind::Number) return Literal();
    Fail();
  }

  // DECLARE @name [AS] type [= expression], ...
  void ParseDeclare(Statement& st) {
    ++pos_;
    st.kind = Statement::Kind::Declare;
    do {
      VariableDef v;
      v.name = Variable();
      AcceptKw("AS");
      v.type = ParseType();
      if (AcceptSym("=")) v.init = ParseExpr();
      st.variables.push_back(std::move(v));
    } while (AcceptSym(","));
  }

  void ParseInsert(Statement& st) {
    ++pos_;
    st.kind = Statement::Kind::Insert;
    AcceptKw("INTO");
    st.table = ParseTableName();
    if (Sym("(")) st.columns = ParseNameList();
    if (AcceptKw("DEFAULT")) {
      ExpectKw("VALUES");
      st.defaultValues = true;
      return;
    }
    ExpectKw("VALUES");
    do {
      ExpectSym("(");
      std::vector<ExprPtr> row;
      do row.push_back(ParseExpr());
      while (AcceptSym(","));
      ExpectSym(")");
      st.rows.push_back(std::move(row));
    } while (AcceptSym(","));
  }

  void ParseUpdate(Statement& st) {
    ++pos_;
    st.kind = Statement::Kind::Update;
    st.table = ParseTableName();
    ExpectKw("SET");
    do {
      std::string col = AnyName();
      while (AcceptSym(".")) col = AnyName();
      ExpectSym("=");
      st.sets.emplace_back(col, ParseExpr());
    } while (AcceptSym(","));
    if (AcceptKw("WHERE")) st.where = ParseExpr();
  }

  std::string TextOf(size_t first, size_t end) const {
    if (end <= first) return "";
    const size_t a = t_[first].offset;
    const size_t z = t_[end - 1].offset + t_[end - 1].length;
    return b_.source.substr(a, z - a);
  }

  std::string ParseDefaultText() {
    const size_t first = pos_;
    const size_t lits = b_.literals.size();
    ParseExpr();
    b_.literals.resize(lits);  // a default is stored as text, not bound
    return TextOf(first, pos_);
  }

  // A constraint after CONSTRAINT name (or without a name); `column` is the column it follows.
  bool ParseConstraint(std::vector<ConstraintDef>& out, const std::string& column, ColumnDef* col) {
    ConstraintDef c;
    const size_t start = pos_;
    if (AcceptKw("CONSTRAINT")) c.name = AnyName();
    if (Kw("PRIMARY") || Kw("UNIQUE")) {
      c.kind = Kw("UNIQUE") ? ConstraintDef::Kind::Unique : ConstraintDef::Kind::PrimaryKey;
      ++pos_;
      if (c.kind == ConstraintDef::Kind::PrimaryKey) ExpectKw("KEY");
      AcceptKw("CLUSTERED") || AcceptKw("NONCLUSTERED");
      if (Sym("("))
        c.columns = ParseNameList();
      else if (!column.empty())
        c.columns = {column};
      else
        Fail();
      SkipStorageOptions();
    } else if (AcceptKw("DEFAULT")) {
      c.kind = ConstraintDef::Kind::Default;
      c.defaultSql = ParseDefaultText();
      if (AcceptKw("FOR"))
        c.columns = {AnyName()};
      else if (col) {
        col->defaultSql = c.defaultSql;
        return true;
      } else
        Fail();
    } else if (AcceptKw("FOREIGN")) {
      ExpectKw("KEY");
      c.kind = ConstraintDef::Kind::ForeignKey;
      c.columns = ParseNameList();
      ParseReferences(c);
    } else if (Kw("REFERENCES")) {
      c.kind = ConstraintDef::Kind::ForeignKey;
      if (column.empty()) Fail();
      c.columns = {column};
      ParseReferences(c);
    } else if (AcceptKw("CHECK")) {
      c.kind = ConstraintDef::Kind::Check;
      SkipParens();
    } else {
      pos_ = start;
      return false;
    }
    out.push_back(std::move(c));
    return true;
  }

  void ParseReferences(ConstraintDef& c) {
    ExpectKw("REFERENCES");
    c.refTable = ParseTableName().name;
    if (Sym("(")) c.refColumns = ParseNameList();
    while (Kw("ON") && (IsWord(Peek(), "DELETE") || IsWord(Peek(), "UPDATE"))) {
      pos_ += 2;
      if (AcceptKw("NO"))
        ExpectKw("ACTION");
      else if (!(AcceptKw("CASCADE"))) {
        ExpectKw("SET");
        if (!AcceptKw("NULL")) ExpectKw("DEFAULT");
      }
    }
    AcceptKw("NOT") && AcceptKw("FOR") && AcceptKw("REPLICATION");
  }

  ColumnDef ParseColumnDef(std::vector<ConstraintDef>& constraints) {
    ColumnDef c;
    c.name = AnyName();
    c.type = ParseType();
    for (;;) {
      if (AcceptKw("COLLATE")) {
        c.collation = AnyName();
      } else if (AcceptKw("IDENTITY")) {
        c.identity = true;
        if (AcceptSym("(")) {
          bool neg = AcceptSym("-");
          if (Cur().kind != TokenKind::Number) Fail();
          c.seed = std::atoll(t_[pos_++].text.c_str()) * (neg ? -1 : 1);
          ExpectSym(",");
          neg = AcceptSym("-");
          if (Cur().kind != TokenKind::Number) Fail();
          c.increment = std::atoll(t_[pos_++].text.c_str()) * (neg ? -1 : 1);
          ExpectSym(")");
        }
      } else if (Kw("NOT") && IsWord(Peek(), "NULL")) {
        pos_ += 2;
        c.notNull = true;
        c.nullGiven = true;
      } else if (AcceptKw("NULL")) {
        c.notNull = false;
        c.nullGiven = true;
      } else if (AcceptKw("ROWGUIDCOL")) {
      } else if (!ParseConstraint(constraints, c.name, &c)) {
        break;
      }
    }
    return c;
  }

  void ParseCreate(Statement& st) {
    ++pos_;
    if (AcceptKw("TABLE")) {
      st.kind = Statement::Kind::CreateTable;
      st.table = ParseTableName();
      ExpectSym("(");
      do {
        if (Sym(")")) break;  // a trailing comma before the closing parenthesis
        if (!ParseConstraint(st.constraints, "", nullptr))
          st.columnDefs.push_back(ParseColumnDef(st.constraints));
      } while (AcceptSym(","));
      ExpectSym(")");
      SkipStorageOptions();
      return;
    }
    if (Kw("PROCEDURE") || Kw("PROC")) {
      ++pos_;
      st.kind = Statement::Kind::CreateProcedure;
      st.name = ParseTableName().name;
      ExpectKw("AS");
      if (AtEnd()) Fail();
      st.value = b_.source.substr(Cur().offset);
      // The body runs when the procedure is executed; check its syntax now, like the server.
      Batch inner;
      SyntaxError err;
      if (!ParseBatch(st.value, inner, err)) {
        error_ = err;
        throw Failure{};
      }
      while (!AtEnd()) ++pos_;
      return;
    }
    st.kind = Statement::Kind::CreateIndex;
    st.unique = AcceptKw("UNIQUE");
    AcceptKw("CLUSTERED") || AcceptKw("NONCLUSTERED");
    ExpectKw("INDEX");
    st.name = AnyName();
    ExpectKw("ON");
    st.table = ParseTableName();
    st.columns = ParseNameList();
    if (AcceptKw("INCLUDE")) ParseNameList();
    SkipStorageOptions();
  }

  void ParseAlter(Statement& st) {
    ++pos_;
    ExpectKw("TABLE");
    st.kind = Statement::Kind::AlterTable;
    st.table = ParseTableName();
    if (Kw("WITH") && (IsWord(Peek(), "NOCHECK") || IsWord(Peek(), "CHECK"))) pos_ += 2;
    if (AcceptKw("ALTER")) {
      ExpectKw("COLUMN");
      st.alterColumn = true;
      ColumnDef c;
      c.name = AnyName();
      c.type = ParseType();
      if (AcceptKw("COLLATE")) c.collation = AnyName();
      if (Kw("NOT") && IsWord(Peek(), "NULL")) {
        pos_ += 2;
        c.notNull = true;
        c.nullGiven = true;
      } else if (AcceptKw("NULL"))
        c.nullGiven = true;
      st.columnDefs.push_back(std::move(c));
      return;
    }
    ExpectKw("ADD");
    do {
      if (!ParseConstraint(st.constraints, "", nullptr))
        st.columnDefs.push_back(ParseColumnDef(st.constraints));
    } while (AcceptSym(","));
  }

  Batch& b_;
  const std::vector<Token>& t_;
  size_t pos_ = 0;
  SyntaxError error_;
};

}  // namespace

bool ParseBatch(std::string_view sql, Batch& batch, SyntaxError& error) {
  batch.source.assign(sql);
  batch.literals.clear();
  batch.statements.clear();
  size_t bad = 0;
  if (!Tokenize(batch.source, batch.tokens, bad)) {
    error.number = 105;
    error.message =
        "Unclosed quotation mark after the character string '" + batch.source.substr(bad) + "'.";
    return false;
  }
  // SQL Server refuses such a literal when it compiles the batch: none of it runs.
  if (const Token* number = FirstNumberOutOfRange(batch.tokens)) {
    error.number = 168;
    error.message = "The floating point value '" + number->text +
                    "' is out of the range of computer representation (8 bytes).";
    return false;
  }
  Parser p(batch);
  return p.Run(error);
}

bool ParseExpression(std::string_view sql, Batch& batch, ExprPtr& expr, SyntaxError& error) {
  batch.source.assign(sql);
  batch.literals.clear();
  batch.statements.clear();
  size_t bad = 0;
  if (!Tokenize(batch.source, batch.tokens, bad)) {
    error.number = 105;
    error.message =
        "Unclosed quotation mark after the character string '" + batch.source.substr(bad) + "'.";
    return false;
  }
  Parser p(batch);
  return p.RunExpression(expr, error);
}

std::string StatementShape(const Batch& batch, const Statement& stmt) {
  std::string key;
  key.reserve(256);
  int lit = stmt.firstLiteral;
  for (size_t i = stmt.firstToken; i < stmt.endToken; ++i) {
    const Token& t = batch.tokens[i];
    if (lit < stmt.endLiteral && batch.literals[static_cast<size_t>(lit)] == i) {
      key += t.kind == TokenKind::String ? "'?'" : "?";
      ++lit;
    } else if (t.kind == TokenKind::QuotedName) {
      key += '[';
      key += t.text;
      key += ']';
    } else {
      key += t.text;
    }
    key += ' ';
  }
  return key;
}

}  // namespace qiva::db::tsql
